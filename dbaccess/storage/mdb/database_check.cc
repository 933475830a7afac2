#include "dbaccess/storage/mdb/database_check.h"

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/page_ownership_check.h"
#include "dbaccess/storage/mdb/row_content_check.h"
#include "dbaccess/storage/mdb/table_reader.h"
#include "dbaccess/storage/mdb/text_codec.h"

namespace dbaccess::mdb {
namespace {

void CheckRowCount(const PageFile& file, const TableDefinition& def, const std::string& object,
                   DatabaseCheckReport& report) {
  uint64_t rows = 0;
  ForEachLiveRow(file, def, [&rows](RowPointer, ByteView) { ++rows; });
  if (rows != def.row_count) {
    report.findings.push_back(CheckFinding{object, def.page,
                                           "the table definition counts " +
                                               std::to_string(def.row_count) + " rows, " +
                                               std::to_string(rows) + " are stored"});
  }
}

}  // namespace

DatabaseCheckReport CheckDatabase(const PageFile& file) {
  DatabaseCheckReport report;
  IndexCheckReport indexes;
  const bool jet4 = file.header().version == JetVersion::kJet4;
  if (!jet4) indexes.notes.push_back(kJet3Note);
  const TextDecoder text(file.header().version, file.header().code_page);
  std::vector<OwnedTable> owned;
  for (const CatalogObject& object : StoredTables(file)) {
    const std::string name = "table '" + object.name + "'";
    const uint32_t page = static_cast<uint32_t>(object.id);
    TableDefinition def;
    try {
      def = ReadTableDefinition(file, page, text);
    } catch (const FormatError& e) {
      report.findings.push_back(
          CheckFinding{name, page, std::string("unreadable table definition: ") + e.what()});
      continue;
    }
    try {
      // The engine does not keep the counts of its own tables exact (Access's files differ by
      // a few rows in MSysACEs and MSysQueries); only user tables' counts are held to it.
      if (!object.system() && !object.access_system()) CheckRowCount(file, def, name, report);
      CheckRowContent(file, def, name, report.findings);
    } catch (const FormatError& e) {
      report.findings.push_back(
          CheckFinding{name, page, std::string("unreadable rows: ") + e.what()});
      continue;
    }
    if (jet4) CheckTableIndexes(file, def, object.name, indexes);
    ++report.tables_checked;
    owned.push_back(OwnedTable{object.name, std::move(def)});
  }
  CheckPageOwnership(file, owned, report.findings);
  report.findings.insert(report.findings.end(), indexes.findings.begin(), indexes.findings.end());
  report.notes = std::move(indexes.notes);
  report.indexes_checked = indexes.indexes_checked;
  report.entries_checked = indexes.entries_checked;
  return report;
}

DatabaseCheckReport CheckDatabaseFile(const std::string& path, const std::string& password) {
  std::unique_ptr<PageFile> file;
  try {
    file = std::make_unique<PageFile>(MemorySource(ReadWholeFile(path)));
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path);
  }
  if (!PasswordMatches(file->raw_header_page(), password)) throw jet_errors::NotAValidPassword();
  try {
    return CheckDatabase(*file);
  } catch (const FormatError&) {
    throw jet_errors::UnrecognizedFormat(path);
  }
}

}  // namespace dbaccess::mdb
