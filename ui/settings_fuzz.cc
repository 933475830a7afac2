// libFuzzer target: any bytes as the settings file must give settings (defaults where they
// are unreadable), never a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const ui::Settings settings = ui::ParseSettings(bytes);
  (void)settings;
  return 0;
}
