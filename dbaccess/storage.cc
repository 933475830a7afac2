#include "dbaccess/storage.h"

#include "dbaccess/atomic_file.h"
#include "dbaccess/jet_error.h"
#include "dbaccess/mdb/mdb_storage.h"
#include "dbaccess/text_storage.h"

namespace dbaccess {
namespace {

constexpr size_t kHeadBytes = 4096;

// A Jet 3/4 or ACE file: "Standard Jet DB" or "Standard ACE DB" at bytes 4..18.
bool IsJetFile(std::string_view head) {
  if (head.size() < 19) return false;
  const std::string_view signature = head.substr(4, 15);
  return signature == "Standard Jet DB" || signature == "Standard ACE DB";
}

}  // namespace

std::unique_ptr<Storage> OpenStorage(const std::string& path, const std::string& password) {
  const std::string head = ReadFileHead(path, kHeadBytes);
  if (IsJetFile(head)) return mdb::OpenMdbStorage(path, password);
  if (TextStorage::Recognizes(head)) return TextStorage::Open(path, password);
  throw jet_errors::UnrecognizedFormat(path);
}

}  // namespace dbaccess
