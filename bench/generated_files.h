// For the benchmarks: files generated once per run, by size, in a temporary folder of the
// run's own that is removed at its end.
#ifndef SKARNVEL_BENCH_GENERATED_FILES_H_
#define SKARNVEL_BENCH_GENERATED_FILES_H_

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "dbaccess/base/temp_folder_testing.h"

namespace bench {

class GeneratedFiles {
 public:
  // `make(path, size)` writes the file of `size` at `path`; its name is `prefix`, the size
  // and `suffix`.
  GeneratedFiles(const std::string& folder_name, std::string prefix, std::string suffix,
                 std::function<void(const std::string& path, int size)> make)
      : folder_(std::filesystem::temp_directory_path(), folder_name),
        prefix_(std::move(prefix)),
        suffix_(std::move(suffix)),
        make_(std::move(make)) {}

  const std::string& Path(int size) {
    std::string& path = paths_[size];
    if (path.empty()) {
      path = folder_.File(prefix_ + std::to_string(size) + suffix_);
      make_(path, size);
    }
    return path;
  }

 private:
  dbaccess::testing::TempFolder folder_;
  std::string prefix_, suffix_;
  std::function<void(const std::string&, int)> make_;
  std::map<int, std::string> paths_;
};

}  // namespace bench

#endif  // SKARNVEL_BENCH_GENERATED_FILES_H_
