#include "dbaccess/jet_error.h"

namespace dbaccess::jet_errors {
namespace {

std::string Quoted(std::string_view s) { return "'" + std::string(s) + "'"; }

}  // namespace

JetError TableExists(std::string_view table) {
  return JetError(3010, "Table " + Quoted(table) + " already exists.");
}
JetError TableDoesNotExist(std::string_view table) {
  return JetError(3376, "Table " + Quoted(table) + " does not exist.");
}
JetError CannotFindTableOrConstraint() {
  return JetError(3371, "Cannot find table or constraint.");
}
JetError FieldDefinedTwice() { return JetError(3191, "Cannot define field more than once."); }
JetError ItemNotFound() { return JetError(3265, "Item not found in this collection."); }
JetError FieldInIndex() {
  return JetError(3280,
                  "Cannot delete a field that is part of an index or is needed by the system.");
}
JetError TableInRelationship() {
  return JetError(3303, "Cannot delete this field. It is part of one or more relationships.");
}
JetError FieldInRelationship(std::string_view field) {
  return JetError(3383,
                  "Cannot delete field " + Quoted(field) + ". It is part of one or more relationships.");
}
JetError ChangeFieldInRelationship(std::string_view field) {
  return JetError(3720,
                  "Cannot change field " + Quoted(field) + ". It is part of one or more relationships.");
}
JetError PrimaryKeyExists() { return JetError(3283, "Primary key already exists."); }
JetError DuplicateValues() {
  return JetError(3022,
                  "The changes you requested to the table were not successful because they would "
                  "create duplicate values in the index, primary key, or relationship.");
}
JetError IndexExists(std::string_view table, std::string_view index) {
  return JetError(3375,
                  "Table " + Quoted(table) + " already has an index named " + Quoted(index) + ".");
}
JetError NoSuchRelationship(std::string_view name, std::string_view table) {
  return JetError(3377,
                  "No such relationship " + Quoted(name) + " on table " + Quoted(table) + ".");
}
JetError RelationshipExists(std::string_view name) {
  return JetError(3378, "There is already a relationship named " + Quoted(name) +
                            " in the current database.");
}
JetError OrphanRows(std::string_view foreign_table, std::string_view primary_table) {
  return JetError(3379,
                  "Cannot create relationships to enforce referential integrity. Existing data in "
                  "table " + Quoted(foreign_table) + " violates referential integrity rules in table " +
                      Quoted(primary_table) + ".");
}
JetError NullInRequired(std::string_view table, std::string_view field) {
  return JetError(3314, "The field '" + std::string(table) + "." + std::string(field) +
                            "' cannot contain a Null value because the Required property for this "
                            "field is set to True. Enter a value in this field.");
}

JetError SyntaxErrorInFieldDefinition() {
  return JetError(3292, "Syntax error in field definition.");
}
JetError SyntaxErrorInAlterTable() { return JetError(3293, "Syntax error in ALTER TABLE statement."); }
JetError SyntaxErrorInCreateTable() {
  return JetError(3290, "Syntax error in CREATE TABLE statement.");
}
JetError SyntaxErrorInConstraint() { return JetError(3289, "Syntax error in CONSTRAINT clause."); }

JetError NotAValidPassword() { return JetError(3031, "Not a valid password."); }
JetError CouldNotFindFile(std::string_view path) {
  return JetError(3024, "Could not find file " + Quoted(path) + ".");
}
JetError UnrecognizedFormat(std::string_view path) {
  return JetError(3343, "Unrecognized database format " + Quoted(path) + ".");
}
JetError FileInUse(std::string_view path) {
  return JetError(3045, "Could not use " + Quoted(path) + "; file already in use.");
}

}  // namespace dbaccess::jet_errors
