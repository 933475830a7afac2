// libFuzzer target: any bytes given to the list-file reader must end in a ListError or a
// list, never in a crash, a hang or unbounded memory; a list that loads is written back
// without a crash (or refused with ListError for a text no list file can carry).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "actions/action_list.h"
#include "actions/list_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    actions::ListFileContents contents = actions::DecodeListFile(bytes);
    actions::ActionList list({});
    list.Open(std::move(contents.columns), std::move(contents.rows));
    (void)actions::EncodeListFile(list);
  } catch (const actions::ListError&) {
    // The expected outcome for a damaged file.
  }
  return 0;
}
