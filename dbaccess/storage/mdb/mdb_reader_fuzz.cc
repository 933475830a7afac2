// libFuzzer target: any bytes given to the .mdb reader as a database file must end in a
// FormatError or a catalog, never in a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dbaccess/storage/mdb/catalog_mapping.h"
#include "dbaccess/storage/mdb/database_reader.h"
#include "dbaccess/storage/mdb/format_error.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dbaccess::mdb;
  try {
    PageFile file(MemorySource(std::vector<uint8_t>(data, data + size)));
    PasswordMatches(file.raw_header_page(), "password");
    const dbaccess::Catalog catalog = BuildCatalog(ReadDatabase(file));
    (void)catalog;
  } catch (const FormatError&) {
    // The expected outcome for damaged input.
  }
  return 0;
}
