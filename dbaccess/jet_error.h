// The one exception type of the database engine layer.
//
// It carries the engine's message text exactly as Jet words it (the floors above show
// it to the user as it stands) and Jet's error number where one is known (0 otherwise).
// The functions below build every message the engine raises, so each text lives once.
#ifndef SKARNVEL_DBACCESS_JET_ERROR_H_
#define SKARNVEL_DBACCESS_JET_ERROR_H_

#include <stdexcept>
#include <string>
#include <string_view>

namespace dbaccess {

class JetError : public std::runtime_error {
 public:
  JetError(int number, const std::string& message)
      : std::runtime_error(message), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

namespace jet_errors {

// Catalog: tables, fields, indexes, relationships.
JetError TableExists(std::string_view table);                 // 3010
JetError TableDoesNotExist(std::string_view table);           // 3376
JetError CannotFindTableOrConstraint();                       // 3371
JetError FieldDefinedTwice();                                 // 3191
JetError ItemNotFound();                                      // 3265
JetError FieldInIndex();                                      // 3280
JetError TableInRelationship();                               // 3303
JetError FieldInRelationship(std::string_view field);         // 3383
JetError ChangeFieldInRelationship(std::string_view field);   // 3720
JetError PrimaryKeyExists();                                  // 3283
JetError DuplicateValues();                                   // 3022
JetError IndexExists(std::string_view table, std::string_view index);           // 3375
JetError NoSuchRelationship(std::string_view name, std::string_view table);     // 3377
JetError RelationshipExists(std::string_view name);                             // 3378
JetError OrphanRows(std::string_view foreign_table, std::string_view primary_table);  // 3379
JetError NullInRequired(std::string_view table, std::string_view field);        // 3314

// Syntax.
JetError SyntaxErrorInFieldDefinition();   // 3292
JetError SyntaxErrorInAlterTable();        // 3293
JetError SyntaxErrorInCreateTable();       // 3290
JetError SyntaxErrorInConstraint();        // 3289

// Files.
JetError NotAValidPassword();                          // 3031
JetError CouldNotFindFile(std::string_view path);      // 3024
JetError UnrecognizedFormat(std::string_view path);    // 3343
JetError FileInUse(std::string_view path);             // 3045

}  // namespace jet_errors
}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_JET_ERROR_H_
