// The log file of run-all: the whole message pane as a Rich Text Format document.
//
// The document is in Windows-1251 (\ansicpg1251) with a colour table of black, grey and red,
// one paragraph per pane line in the line's colour, a line break inside a line's text as
// \line. Characters the code page lacks are written as \uN? escapes (UTF-16 units, surrogate
// pairs for the rest of Unicode), so the log never loses a character.
#ifndef SKARNVEL_ACTIONS_RTF_LOG_H_
#define SKARNVEL_ACTIONS_RTF_LOG_H_

#include <string>
#include <string_view>

#include "actions/message_pane.h"

namespace actions {

struct RgbColor {
  int red = 0;
  int green = 0;
  int blue = 0;
};

// The concrete colour the log gives a pane colour.
RgbColor LogColorOf(MessageColor color);

// The document's bytes.
std::string EncodeRtfLog(const MessagePane& pane);

// Writes the document to `path`, replacing an earlier log only once the new one is
// complete. Throws FileError naming the file.
void WriteRtfLog(const MessagePane& pane, const std::string& path);

// The log file's path for the program at `program_path`: its extension replaced by ".log"
// (or ".log" appended when it has none).
std::string LogFilePath(const std::string& program_path);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_RTF_LOG_H_
