// How the window presents the workbench: the colour and weight of a grid cell
// (gTCalcCellColors), the colour of a page's tab caption, and the path a database picker
// puts into its edit. Plain rules over texts, so that every face draws alike.
#ifndef SKARNVEL_ACTIONS_PRESENTATION_H_
#define SKARNVEL_ACTIONS_PRESENTATION_H_

#include <string>
#include <string_view>

#include "actions/column_sets.h"

namespace actions {

// The font colour of a cell: the grid's own, or one of the result colours.
enum class CellTextColor {
  kGridFont,
  kGreen,    // red 0, green 128, blue 0: a new object
  kRed,      // 255, 0, 0: a dropped object
  kFuchsia,  // 255, 0, 255: a renamed field
};

struct CellLook {
  CellTextColor text = CellTextColor::kGridFont;
  bool bold = false;                // the row's command holds two statements
  bool tooltip_background = false;  // the row was preloaded from the saved table list

  friend bool operator==(const CellLook&, const CellLook&) = default;
};

// The cell of `column` (name as the list has it) holding `text`, in the grid of `list`, in
// the row numbered `row_number` (from 1) whose SQL column holds `row_sql`. Result texts
// take their colour in any grid; bold rows and the shading of the first `PreCount` rows
// (unless the cell is highlighted) belong to the table grid alone.
CellLook CalcCellLook(ListId list, std::string_view column, std::string_view text,
                      std::string_view row_sql, int row_number, int PreCount, bool highlighted);

// A tab caption is drawn red when it carries a row count, i.e. holds "-" anywhere.
bool TabCaptionMarked(std::string_view caption);

// What a database picker puts into its edit for the file the user picked: the bare file
// name when the file lies in the program's own folder (folders compared exactly, letter
// case included, without trailing separator), the full path otherwise.
std::string PickedDatabasePath(std::string_view picked_file, std::string_view program_folder);

// A memo text as an editor shows it: every line break (CR LF, or a lone CR) as LF.
std::string EditorText(std::string_view stored);

// The text an editor returns (line breaks as LF) as it is stored again: with CR LF line
// breaks when the original text broke its lines so, with LF otherwise. An edit that changed
// nothing but the line breaks gives the original back.
std::string StoredText(std::string_view edited, std::string_view original);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_PRESENTATION_H_
