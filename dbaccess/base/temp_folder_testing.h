// For tests and benchmarks only: a fresh folder under the system's temporary folder, removed
// with everything in it at the end. Failing to make it fails loudly (an exception), so a test
// never writes where it did not mean to.
#ifndef SKARNVEL_DBACCESS_BASE_TEMP_FOLDER_TESTING_H_
#define SKARNVEL_DBACCESS_BASE_TEMP_FOLDER_TESTING_H_

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace dbaccess::testing {

class TempFolder {
 public:
  TempFolder() : TempFolder(std::filesystem::temp_directory_path()) {}
  // A folder under `parent` (a memory file system for tests that write much, say), its name
  // `name` and a unique ending.
  explicit TempFolder(const std::filesystem::path& parent,
                      std::string_view name = "skarnvel-test") {
    std::string pattern = (parent / (std::string(name) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary folder " + pattern + ": " +
                               std::strerror(errno));
    }
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

  // Writes a file (folders on the way must exist) and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string file = File(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file);
    return file;
  }

 private:
  std::string path_;
};

}  // namespace dbaccess::testing

#endif  // SKARNVEL_DBACCESS_BASE_TEMP_FOLDER_TESTING_H_
