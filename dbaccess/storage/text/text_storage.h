// The text storage: a database kept as a database script (text_script.h).
//
// The file is the script, with the database password, when there is one, on its second
// line as a salted hash (password_hash.h):
//
//   -- Skarnvel text database 2
//   -- Database password: pbkdf2-sha256$100000$<salt>$<hash>
//   ...
//   -- End of Skarnvel text database
//
// A file without its end mark was cut short and is refused (3343). Files of the first
// version ("-- Skarnvel text database 1") had no end mark: they are read all the same, with
// a warning on standard error, and get the mark with their next change.
//
// Every commit rewrites the whole file atomically (atomic_file.h). A file the user may not
// write (write_lock.h, MayWrite) is refused with 3027 and left as it is. A commit refuses, with
// 3197 and nothing written, when another program changed the file since this storage last
// read or wrote it (file_stamp.h).
//
// Passwords as Jet has them: a database with a password opens only with that password
// (3031 "Not a valid password." for a wrong or missing one); a password given for a
// database without one is ignored.
#ifndef SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_STORAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_STORAGE_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dbaccess/storage/file_stamp.h"
#include "dbaccess/storage/storage.h"

namespace dbaccess {

class TextStorage : public Storage {
 public:
  // Whether a file beginning with `head` is a database script of ours.
  static bool Recognizes(std::string_view head);

  // Opens the file at `path` after checking its signature (3343) and the password (3031).
  // `head`: the file's first kHeadBytes (or all of a shorter file) when the caller has read
  // them already; empty to have them read here.
  static std::unique_ptr<TextStorage> Open(const std::string& path, const std::string& password,
                                           std::string head = {});

  // Enough for the signature and the password record.
  static constexpr size_t kHeadBytes = 4096;

  // Creates an empty database ("" = no password); 3204 when the file exists.
  static void Create(const std::string& path, const std::string& password);

  // The file text of a database `catalog` protected by `password` ("" = none), as Create
  // and every commit write it: what `schema` prints for a protected database.
  static std::string FileTextFor(const Catalog& catalog, const std::string& password);

  Catalog Load() override;
  void Commit(const Catalog& before, const Catalog& after, const ChangeList& changes) override;
  bool ChangedOnDisk() const override;

 private:
  TextStorage(std::string path, std::string password_record)
      : path_(std::move(path)), password_record_(std::move(password_record)) {}

  std::string FileText(const Catalog& catalog) const;

  std::string path_;
  std::string password_record_;     // "" when the database has no password
  std::optional<FileStamp> stamp_;  // the file as the last Load or Commit left it
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_TEXT_TEXT_STORAGE_H_
