// The settings file: the program's path with its extension replaced by ".ini", section
// "Start" with eight keys (Path1, Path2, Pwd1, Pwd2, cbRenameField, rgRenameField,
// cbRefresh, cbPre), in Windows-1251. The passwords are kept in plain text, so the file is
// created and rewritten readable by its owner only.
//
// Reading: a missing file or key gives the key's default; a boolean is read as an integer
// and is true when not zero; an integer is decimal, or hexadecimal after "0x"/"0X"; a value
// that is not a number gives the key's default. Writing keeps the file's other sections
// and keys, writes the eight keys in this order (booleans as 1 or 0) and never leaves a
// half-written file.
//
// One more key of "Start" is read, never written (it has no control in the window and is
// set by hand): FonOnRelation, the answer of an unattended run ("/fon") to the question
// whether to drop the relations in the way of a change: "yes" drop them and go on (also
// when the key is missing or holds another word), "no" keep them and go on, "cancel" stop
// that run. And FonOnDataLoss, what an unattended run does with ticked actions that would
// lose data: "skip" run the others without them (also when the key is missing or holds
// another word), "run" run them too, "stop" run nothing.
#ifndef SKARNVEL_UI_SETTINGS_H_
#define SKARNVEL_UI_SETTINGS_H_

#include <string>
#include <string_view>

#include "actions/data_check.h"
#include "actions/interaction.h"

namespace ui {

struct Settings {
  std::string Path1;  // UTF-8
  std::string Path2;
  std::string Pwd1;
  std::string Pwd2;
  bool cbRenameField = false;
  int rgRenameField = 0;
  bool cbRefresh = true;
  bool cbPre = false;
  actions::Answer FonOnRelation = actions::Answer::kYes;               // read only
  actions::DataLossRule FonOnDataLoss = actions::DataLossRule::kSkip;  // read only

  friend bool operator==(const Settings&, const Settings&) = default;
};

// The settings file of the program at `program_path` (its full path).
std::string SettingsFilePath(const std::string& program_path);

// An integer value as the settings file holds it, or `fallback` for anything that is not a
// number (or does not fit an int).
int ParseIniInteger(std::string_view text, int fallback);

// Throws actions::FileError when the file exists but cannot be read.
Settings ReadSettings(const std::string& path);

// The settings a file's bytes hold; any bytes give settings (the defaults where a key is
// missing or unreadable), never an error.
Settings ParseSettings(const std::string& bytes);

// Throws actions::FileError naming the file when it cannot be written, or when a text
// holds a character that Windows-1251 cannot store (nothing is written then).
void WriteSettings(const std::string& path, const Settings& settings);

}  // namespace ui

#endif  // SKARNVEL_UI_SETTINGS_H_
