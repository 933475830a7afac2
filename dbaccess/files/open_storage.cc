#include "dbaccess/files/open_storage.h"

#include <algorithm>

#include "dbaccess/base/jet_error.h"
#include "dbaccess/storage/atomic_file.h"
#include "dbaccess/storage/mdb/header.h"
#include "dbaccess/storage/mdb/mdb_storage.h"
#include "dbaccess/storage/text/text_storage.h"

namespace dbaccess {

std::unique_ptr<Storage> OpenStorage(const std::string& path, const std::string& password) {
  std::string head =
      ReadFileHead(path, std::max(mdb::MdbStorage::kHeadBytes, TextStorage::kHeadBytes));
  const mdb::ByteView bytes(reinterpret_cast<const uint8_t*>(head.data()), head.size());
  if (mdb::IsJetSignature(bytes)) return mdb::OpenMdbStorage(path, password, std::move(head));
  if (TextStorage::Recognizes(head)) return TextStorage::Open(path, password, std::move(head));
  throw jet_errors::UnrecognizedFormat(path);
}

}  // namespace dbaccess
