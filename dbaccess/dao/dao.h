// The DAO-like face of the engine layer: the automation object "DAO.DBEngine.36", its
// workspace, and on an open database the saved queries and the Required and Name of a
// table's field. Errors carry Jet's texts ("Item not found in this collection." for a
// missing item).
#ifndef SKARNVEL_DBACCESS_DAO_DAO_H_
#define SKARNVEL_DBACCESS_DAO_DAO_H_

#include <memory>
#include <string>
#include <string_view>

namespace dbaccess {
class DatabaseFile;
}

namespace dbaccess::dao {

constexpr int dbUseJet = 2;  // DBEngine.DefaultType for Jet workspaces

// The automation class of the DAO 3.6 engine.
constexpr std::string_view kDbEngineClass = "DAO.DBEngine.36";

class DaoDatabase;

// Objects of a database opened read-only refuse every change with 3027.
class DaoField {
 public:
  DaoField(std::shared_ptr<DatabaseFile> file, std::string table, std::string name,
           bool read_only = false);
  std::string Name() const;
  bool Required() const;                      // throws 3265 when the field is gone
  void SetRequired(bool required);            // stored at once
  void SetName(const std::string& new_name);  // stored at once; indexes and relationships follow

 private:
  std::shared_ptr<DatabaseFile> file_;
  std::string table_;
  std::string name_;
  bool read_only_;
};

class DaoTableDef {
 public:
  DaoTableDef(std::shared_ptr<DatabaseFile> file, std::string name, bool read_only = false);
  std::string Name() const;
  DaoField Fields(std::string_view name) const;  // throws 3265 for an unknown field

 private:
  std::shared_ptr<DatabaseFile> file_;
  std::string name_;
  bool read_only_;
};

class DaoQueryDef {
 public:
  DaoQueryDef(std::string name, std::string sql) : name_(std::move(name)), sql_(std::move(sql)) {}
  const std::string& Name() const { return name_; }
  const std::string& SQL() const { return sql_; }

 private:
  std::string name_;
  std::string sql_;
};

class DaoQueryDefs {
 public:
  explicit DaoQueryDefs(std::shared_ptr<DatabaseFile> file, bool read_only = false);
  int Count() const;
  DaoQueryDef Item(int index) const;   // by position; throws 3265 out of range
  void Delete(std::string_view name);  // stored at once; throws 3265 for an unknown name

 private:
  std::shared_ptr<DatabaseFile> file_;
  bool read_only_;
};

class DaoDatabase {
 public:
  explicit DaoDatabase(std::shared_ptr<DatabaseFile> file, bool read_only = false);
  DaoQueryDefs QueryDefs() const;
  DaoQueryDef CreateQueryDef(std::string_view name, std::string_view sql);  // stored at once
  DaoTableDef TableDefs(std::string_view name) const;  // throws 3265 for an unknown table

 private:
  std::shared_ptr<DatabaseFile> file_;
  bool read_only_;
};

class DaoWorkspace {
 public:
  // Opens the database file; `connect` is ";PWD=" followed by the database password
  // (";PWD=" alone, or no PWD part at all, means no password). The password runs from
  // "PWD=" to the end of the text, so it may hold ";" itself. `exclusive` is accepted and
  // has no effect (every user of a file in this process shares it); a database opened
  // `read_only` refuses changes with 3027. Throws JetError 3024, 3343 or 3031.
  std::unique_ptr<DaoDatabase> OpenDatabase(const std::string& name, bool exclusive, bool read_only,
                                            const std::string& connect);
};

class DBEngine {
 public:
  int DefaultType() const { return default_type_; }
  void SetDefaultType(int type) { default_type_ = type; }
  DaoWorkspace Workspaces(int index);  // only item 0 exists; others throw 3265

 private:
  int default_type_ = dbUseJet;
};

// Automation: creates the object of the named class. Only "DAO.DBEngine.36" is known
// (letter case aside, as class names go); any other class throws "Invalid class string".
std::unique_ptr<DBEngine> CreateOleObject(std::string_view class_name);

}  // namespace dbaccess::dao

#endif  // SKARNVEL_DBACCESS_DAO_DAO_H_
