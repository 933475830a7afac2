// The list file: an action list as an XML datapacket in Windows-1251.
//
// The writer produces exactly this, without line breaks, byte-order mark or encoding
// declaration: the header and two blanks, DATAPACKET (Version 2.0) holding METADATA (FIELDS
// with one FIELD per column, then an empty PARAMS) and ROWDATA with one ROW per row. A ROW
// carries one attribute per column holding a value, in column order: booleans as TRUE or
// FALSE, texts with tab, line feed, carriage return, quote, ampersand, apostrophe, less-than,
// greater-than and backslash replaced by character references. A character Windows-1251 lacks
// is written as its decimal character reference (&#NNNN;), so no character is ever lost; every
// other character is its Windows-1251 byte.
//
// The reader accepts what the writer writes, and also line breaks and indentation between
// elements, TRUE and FALSE in any letter case, and a file in UTF-8 that starts with a UTF-8
// byte-order mark. It takes the columns from the file's FIELD elements (boolean, string with
// WIDTH, bin.hex with SUBTYPE Text) and the rows from its ROW elements; anything else it
// cannot represent (another field type, an unknown or repeated attribute in a ROW, a boolean
// that is neither TRUE nor FALSE, broken XML) is an error that names the problem.
#ifndef SKARNVEL_ACTIONS_LIST_FILE_H_
#define SKARNVEL_ACTIONS_LIST_FILE_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action_list.h"

namespace actions {

struct ListFileContents {
  std::vector<Column> columns;
  std::vector<Row> rows;
};

// The file's bytes for the stored rows of an open list (a pending edit is not included).
// Throws ListError for a text no XML file can carry (a character with code 0, invalid UTF-8)
// or a column name that cannot be an XML attribute name.
std::string EncodeListFile(const ActionList& list);

// The columns and rows of a list file's bytes. Throws ListError with the reason.
ListFileContents DecodeListFile(std::string_view bytes);

// Merges the list's pending edits and writes it to `path`, replacing an existing file only
// once the new one is complete. Throws ListError naming the file and the reason.
void SaveList(ActionList& list, const std::string& path);

// Closes the list, then reads `path` into it: the file's columns and rows, the cursor on the
// first row. On any failure the list stays closed and ListError names the file and reason.
// A string column of the file that `known` holds too (same name, string kind) keeps at
// least the width `known` gives it, so that a file written with narrower columns loads into
// a list that holds whole names again.
void LoadList(ActionList& list, const std::string& path, std::span<const Column> known = {});

// LoadList when a file exists at `path`; a missing file leaves the list as it was. Returns
// whether the list was loaded.
bool LoadListIfPresent(ActionList& list, const std::string& path,
                       std::span<const Column> known = {});

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_LIST_FILE_H_
