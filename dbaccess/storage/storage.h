// Where a database lives on disk. The rest of the engine layer never knows which storage
// it talks to: a readable text script of our own, or a Jet 4 .mdb file.
#ifndef SKARNVEL_DBACCESS_STORAGE_STORAGE_H_
#define SKARNVEL_DBACCESS_STORAGE_STORAGE_H_

#include "dbaccess/catalog/catalog.h"
#include "dbaccess/catalog/change.h"

namespace dbaccess {

class Storage {
 public:
  virtual ~Storage() = default;

  // Reads the whole database as it is on disk now.
  virtual Catalog Load() = 0;

  // Makes `after` the database on disk, all or nothing: on any failure the file stays the
  // database it was and a JetError says why. `before` is the catalog the changes were
  // made on (the last Load or Commit); `changes` lists them in order. Refuses, changing
  // nothing, when another process changed the file since the last Load or Commit.
  virtual void Commit(const Catalog& before, const Catalog& after, const ChangeList& changes) = 0;

  // Makes `after`, just committed with `changes`, say what the storage keeps of it where
  // that differs from what the executor made: a Jet file keeps a saved query as its parts,
  // so the query's text reads back as DAO shows it.
  virtual void AsCommitted(const ChangeList& changes, Catalog& after) const {
    (void)changes;
    (void)after;
  }

  // True when the file on disk is no longer what the last Load or Commit saw.
  virtual bool ChangedOnDisk() const = 0;
};

}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_STORAGE_STORAGE_H_
