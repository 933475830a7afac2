// Reading and replacing whole files so that a file on disk is always either its old or its
// new content, after a crash or a failed write as well.
//
// A replacement writes a temporary file in the same folder (".<name>.tmp-XXXXXX"), flushes
// it to the disk (fsync), renames it over the file and flushes the folder. On any failure
// the temporary file is removed and the file is left as it was. The temporary file is
// locked (flock) while it is written; one that a killed process left behind is unlocked and
// is removed by the next replacement of the same file. Failures are JetErrors:
// 3026 for a full disk, 3051 for missing permission, 3043 for any other.
#ifndef SKARNVEL_DBACCESS_STORAGE_ATOMIC_FILE_H_
#define SKARNVEL_DBACCESS_STORAGE_ATOMIC_FILE_H_

#include <functional>
#include <string>
#include <string_view>

#include "dbaccess/base/jet_error.h"

namespace dbaccess {

// Replaces the file at `path` (or creates it) with `content`, keeping an existing file's
// permission bits.
void ReplaceFileAtomically(const std::string& path, std::string_view content);

// Creates the file at `path` with `content` the same way; refuses (3204, "Database already
// exists.") when something is there, without touching it.
void CreateFileAtomically(const std::string& path, std::string_view content);

// The whole content of a file. 3024 when it is missing, 3051 when it cannot be read, 3343
// for a folder.
std::string ReadWholeFile(const std::string& path);
// At most the first `max_bytes` of it, with the same errors.
std::string ReadFileHead(const std::string& path, size_t max_bytes);

// How a failed system call on the file at `path` is reported: 3026 for a full disk, 3051
// for missing permission, 3043 for any other error number.
JetError FileError(int error, const std::string& path);

// For tests: makes a step of the next writes fail as if the system call had failed. The
// hook is called before each step; returning an errno value other than 0 fails that step.
enum class WriteStep { kCreateTemporary, kWrite, kSync, kClose, kRename };
using WriteFaultHook = std::function<int(WriteStep step)>;
void SetWriteFaultHookForTesting(WriteFaultHook hook);  // an empty hook removes it

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_ATOMIC_FILE_H_
