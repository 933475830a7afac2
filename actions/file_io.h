// Whole-file reading and replacing for the program's own files beside it (list files, the
// settings file, the log).
//
// ReplaceFile never leaves a half-written file behind: it writes a temporary file in the
// same folder, flushes it to disk and renames it over the target, so a failure keeps the
// previous file as it was. Failures throw FileError, whose reason() is a short Russian text
// for the user ("нет прав доступа") and whose what() names the file as well.
#ifndef SKARNVEL_ACTIONS_FILE_IO_H_
#define SKARNVEL_ACTIONS_FILE_IO_H_

#include <stdexcept>
#include <string>
#include <string_view>

namespace actions {

class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& reason);
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// True when `path` names a regular file (a symbolic link to one included). A folder or a
// missing path gives false.
bool FileExists(const std::string& path);

// The whole content of a file.
std::string ReadFile(const std::string& path);

// Who may read and write a file that ReplaceFile writes.
enum class FileAccess {
  kKeep,       // an existing file's permissions; a new file's as the umask allows
  kOwnerOnly,  // readable and writable by its owner only (0600), new or replaced
};

// Creates the file anew with `bytes`, replacing an existing one.
void ReplaceFile(const std::string& path, std::string_view bytes,
                 FileAccess access = FileAccess::kKeep);

// A short Russian description of a system error number.
std::string SystemErrorText(int error_number);

}  // namespace actions

#endif  // SKARNVEL_ACTIONS_FILE_IO_H_
