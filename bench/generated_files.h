// For the benchmarks: files generated once per run, by size, in a temporary folder of the
// run's own that is removed at its end.
#ifndef SKARNVEL_BENCH_GENERATED_FILES_H_
#define SKARNVEL_BENCH_GENERATED_FILES_H_

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <system_error>

namespace bench {

class GeneratedFiles {
 public:
  // `make(path, size)` writes the file of `size` at `path`; its name is `prefix`, the size
  // and `suffix`.
  GeneratedFiles(const std::string& folder_name, std::string prefix, std::string suffix,
                 std::function<void(const std::string& path, int size)> make)
      : prefix_(std::move(prefix)), suffix_(std::move(suffix)), make_(std::move(make)) {
    std::string pattern = (std::filesystem::temp_directory_path() / (folder_name + "-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = pattern;
  }
  ~GeneratedFiles() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  GeneratedFiles(const GeneratedFiles&) = delete;
  GeneratedFiles& operator=(const GeneratedFiles&) = delete;

  const std::string& Path(int size) {
    std::string& path = paths_[size];
    if (path.empty()) {
      path = (dir_ / (prefix_ + std::to_string(size) + suffix_)).string();
      make_(path, size);
    }
    return path;
  }

 private:
  std::filesystem::path dir_;
  std::string prefix_, suffix_;
  std::function<void(const std::string&, int)> make_;
  std::map<int, std::string> paths_;
};

}  // namespace bench

#endif  // SKARNVEL_BENCH_GENERATED_FILES_H_
