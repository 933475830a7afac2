// libFuzzer target: any bytes given to the text storage's loader as a database script must
// end in a JetError or a catalog, never in a crash, a hang or unbounded memory; a catalog
// that loads passes the storage's name check or is refused by it, and is written back as a
// script without a crash. Reaches the Jet SQL parser and the expression evaluator.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/catalog/catalog_names.h"
#include "dbaccess/storage/text/text_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const dbaccess::Catalog catalog = dbaccess::ReadScript(text);
    dbaccess::CheckCatalogNames(catalog, "fuzz.skdb");
    (void)dbaccess::WriteScript(catalog);
  } catch (const dbaccess::JetError&) {
    // The expected outcome for a damaged script.
  }
  return 0;
}
