#include "dbaccess/base/jet_error.h"

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
  return JetError(3281,
                  "Cannot delete this index or table.  It is either the current index or is "
                  "used in a relationship.");
}
JetError DeleteFieldInRelationship() {
  return JetError(3303, "Cannot delete this field. It is part of one or more relationships.");
}
JetError FieldInRelationship(std::string_view field) {
  return JetError(
      3383, "Cannot delete field " + Quoted(field) + ". It is part of one or more relationships.");
}
JetError ChangeFieldInRelationship(std::string_view field) {
  return JetError(
      3720, "Cannot change field " + Quoted(field) + ". It is part of one or more relationships.");
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
  return JetError(
      3378, "There is already a relationship named " + Quoted(name) + " in the current database.");
}
JetError OrphanRows(std::string_view foreign_table, std::string_view primary_table) {
  return JetError(3379,
                  "Cannot create relationships to enforce referential integrity. Existing data in "
                  "table " +
                      Quoted(foreign_table) + " violates referential integrity rules in table " +
                      Quoted(primary_table) + ".");
}
JetError NullInRequired(std::string_view table, std::string_view field) {
  return JetError(3314, "The field '" + std::string(table) + "." + std::string(field) +
                            "' cannot contain a Null value because the Required property for this "
                            "field is set to True. Enter a value in this field.");
}
JetError FieldExists(std::string_view field, std::string_view table) {
  return JetError(3380,
                  "Field " + Quoted(field) + " already exists in table " + Quoted(table) + ".");
}
JetError ObjectExists(std::string_view name) {
  return JetError(3012, "Object " + Quoted(name) + " already exists.");
}
JetError InvalidName(std::string_view name) {
  return JetError(3125, Quoted(name) +
                            " is not a valid name. Make sure that it does not include invalid "
                            "characters or punctuation and that it is not too long.");
}
JetError InvalidFieldInDefinition(std::string_view field) {
  return JetError(
      3409, "Invalid field name " + Quoted(field) + " in definition of index or relationship.");
}
JetError FieldSizeTooLong(std::string_view field) {
  return JetError(3382, "Size of field " + Quoted(field) + " is too long.");
}
JetError TooManyFields() { return JetError(3190, "Too many fields defined."); }
JetError TooManyIndexes() {
  return JetError(3039, "Could not create index; too many indexes already defined.");
}
JetError TooManyIndexFields() {
  return JetError(3277, "Cannot have more than 10 fields in an index.");
}
JetError RelationshipFieldsMismatch() {
  return JetError(3368,
                  "Relationship must be on the same number of fields with the same data types.");
}
JetError ReferencedTableWithoutPrimaryKey(std::string_view table) {
  return JetError(3373, "Cannot create relationship. Referenced table " + Quoted(table) +
                            " does not have a primary key.");
}
JetError NoUniqueIndexReferenced() {
  return JetError(3609, "No unique index found for the referenced field of the primary table.");
}
JetError TableContainsData() {
  return JetError(3282, "Operation not supported on a table that contains data.");
}
JetError InputTableNotFound(std::string_view table) {
  return JetError(3078, "The Microsoft Jet database engine cannot find the input table or query " +
                            Quoted(table) +
                            ".  Make sure it exists and that its name is spelled correctly.");
}

JetError NullInIndex() {
  return JetError(3058, "Index or primary key cannot contain a Null value.");
}
JetError RelatedRecordRequired(std::string_view primary_table) {
  return JetError(3201,
                  "You cannot add or change a record because a related record is required "
                  "in table " +
                      Quoted(primary_table) + ".");
}
JetError ConversionError() { return JetError(3421, "Data type conversion error."); }
JetError NumericOverflow() { return JetError(3349, "Numeric field overflow."); }
JetError FieldTooSmall() {
  return JetError(3163,
                  "The field is too small to accept the amount of data you attempted to add.  "
                  "Try inserting or pasting less data.");
}
JetError TypeMismatch() { return JetError(3464, "Data type mismatch in criteria expression."); }
JetError UnknownInsertField(std::string_view field) {
  return JetError(3127, "The INSERT INTO statement contains the following unknown field name: " +
                            Quoted(field) +
                            ".  Make sure you have typed the name correctly, and try the operation "
                            "again.");
}
JetError ValueCountMismatch() {
  return JetError(3346, "Number of query values and destination fields are not the same.");
}
JetError DuplicateOutputDestination(std::string_view field) {
  return JetError(3063, "Duplicate output destination " + Quoted(field) + ".");
}
JetError UndefinedFunction(std::string_view name) {
  return JetError(3085, "Undefined function " + Quoted(name) + " in expression.");
}
JetError TooFewParameters(int expected) {
  return JetError(3061, "Too few parameters. Expected " + std::to_string(expected) + ".");
}
JetError UnknownFunctionInDefault(std::string_view function, std::string_view table,
                                  std::string_view field) {
  return JetError(3388, "Unknown function " + Quoted(function) +
                            " in validation expression or default value on '" + std::string(table) +
                            "." + std::string(field) + "'.");
}
JetError UnknownNameInDefault(std::string_view name, std::string_view table) {
  return JetError(3344, "The Microsoft Jet database engine does not recognize either the field " +
                            Quoted(name) +
                            " in a validation expression, or the default value in the table " +
                            Quoted(table) + ".");
}
JetError ExpressionTooComplex() {
  return JetError(3071,
                  "This expression is typed incorrectly, or it is too complex to be evaluated. "
                  "For example, a numeric expression may contain too many complicated elements. "
                  "Try simplifying the expression by assigning parts of the expression to "
                  "variables.");
}

JetError SyntaxErrorInFieldDefinition() {
  return JetError(3292, "Syntax error in field definition.");
}
JetError SyntaxErrorInAlterTable() {
  return JetError(3293, "Syntax error in ALTER TABLE statement.");
}
JetError SyntaxErrorInCreateTable() {
  return JetError(3290, "Syntax error in CREATE TABLE statement.");
}
JetError SyntaxErrorInConstraint() { return JetError(3289, "Syntax error in CONSTRAINT clause."); }
JetError SyntaxErrorInCreateIndex() {
  return JetError(3291, "Syntax error in CREATE INDEX statement.");
}
JetError SyntaxErrorInDrop() { return JetError(3295, "Syntax error in DROP TABLE or DROP INDEX."); }
JetError SyntaxErrorInInsert() { return JetError(3134, "Syntax error in INSERT INTO statement."); }
JetError InvalidSqlStatement() {
  return JetError(3129,
                  "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or "
                  "'UPDATE'.");
}
JetError CharactersAfterEnd() {
  return JetError(3142, "Characters found after end of SQL statement.");
}
JetError StatementNotSupported(std::string_view keyword) {
  return JetError(0, "This database engine does not carry out " + std::string(keyword) +
                         " statements; it carries out data definition statements and INSERT "
                         "INTO ... VALUES.");
}

JetError SyntaxErrorInExpression(std::string_view expression) {
  return JetError(3075, "Syntax error in query expression " + Quoted(expression) + ".");
}
JetError MissingOperator(std::string_view expression) {
  return JetError(
      3075, "Syntax error (missing operator) in query expression " + Quoted(expression) + ".");
}
JetError SyntaxErrorInDelete() { return JetError(3130, "Syntax error in DELETE statement."); }
JetError SyntaxErrorInFrom() { return JetError(3131, "Syntax error in FROM clause."); }
JetError SyntaxErrorInGroupBy() { return JetError(3132, "Syntax error in GROUP BY clause."); }
JetError SyntaxErrorInHaving() { return JetError(3133, "Syntax error in HAVING clause."); }
JetError SyntaxErrorInJoin() { return JetError(3135, "Syntax error in JOIN operation."); }
JetError SyntaxErrorInOrderBy() { return JetError(3138, "Syntax error in ORDER BY clause."); }
JetError SyntaxErrorInParameters() { return JetError(3139, "Syntax error in PARAMETER clause."); }
JetError SyntaxErrorInSelect() {
  return JetError(3141,
                  "The SELECT statement includes a reserved word or an argument name that is "
                  "misspelled or missing, or the punctuation is incorrect.");
}
JetError SyntaxErrorInTransform() { return JetError(3143, "Syntax error in TRANSFORM statement."); }
JetError SyntaxErrorInUpdate() { return JetError(3144, "Syntax error in UPDATE statement."); }
JetError SyntaxErrorInWhere() { return JetError(3145, "Syntax error in WHERE clause."); }
JetError SyntaxErrorInUnion() { return JetError(3319, "Syntax error in union query."); }

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
JetError CannotOpenFile(std::string_view path) {
  return JetError(3051, "The Microsoft Jet database engine cannot open the file " + Quoted(path) +
                            ".  It is already opened exclusively by another user, or you need "
                            "permission to view its data.");
}
JetError DiskError() { return JetError(3043, "Disk or network error."); }
JetError DiskFull() { return JetError(3026, "Not enough space on disk."); }
JetError DatabaseExists() { return JetError(3204, "Database already exists."); }
JetError ChangedByAnotherProgram(std::string_view path) {
  return JetError(3197, "The database " + Quoted(path) +
                            " was changed by another program after it was read here, so this "
                            "change was not saved.  Read the database again and repeat the "
                            "change.");
}
JetError ScriptError(int line, const JetError& cause) {
  return JetError(cause.number(),
                  "Line " + std::to_string(line) + " of the database script: " + cause.what());
}
JetError JetFileReadOnly(std::string_view path) {
  return JetError(0, "Changing a Jet database file is not supported yet; " + Quoted(path) +
                         " was not changed.");
}
JetError JetChangeNotSupported(std::string_view what, std::string_view path) {
  return JetError(0, std::string(what) + " in a Jet database file is not supported yet; " +
                         Quoted(path) + " was not changed.");
}
JetError TableNotWritable(std::string_view table, std::string_view reason) {
  return JetError(0, "Table " + Quoted(table) + " cannot be changed: " + std::string(reason) + ".");
}
JetError RecordTooLarge() { return JetError(3047, "Record is too large."); }

JetError Jet3FileReadOnly(std::string_view path) {
  return JetError(3027, Quoted(path) +
                            " is an Access 97 (Jet 3) database, which can be read here but not "
                            "changed; it was not changed.  Convert it to the Access 2000 format "
                            "in Access to change it.");
}

JetError OpenInAccess(std::string_view path, std::string_view lock_file) {
  return JetError(3045, "Could not use " + Quoted(path) +
                            "; file already in use.  Access's lock file " + Quoted(lock_file) +
                            " lies beside it: the database is open in Access, or Access stopped "
                            "without removing the lock file.  Close the database in Access (or "
                            "delete the lock file once no one has the database open) and try "
                            "again; nothing was changed.");
}

JetError CommitWithoutBegin() {
  return JetError(3034,
                  "You tried to commit or rollback a transaction without first beginning a "
                  "transaction.");
}
JetError ReadOnlyDatabase() {
  return JetError(3027, "Cannot update.  Database or object is read-only.");
}
JetError TransactionActive() {
  return JetError(0, "Only one transaction can be active on this session.");
}
JetError InvalidClassString() { return JetError(0, "Invalid class string"); }

JetError InvalidArgument() {
  return JetError(3001,
                  "Arguments are of the wrong type, are out of acceptable range, or are in "
                  "conflict with one another.");
}
JetError NoCurrentRecord() {
  return JetError(3021,
                  "Either BOF or EOF is True, or the current record has been deleted. Requested "
                  "operation requires a current record.");
}
JetError ItemNotInCollection() {
  return JetError(3265,
                  "Item cannot be found in the collection corresponding to the requested name or "
                  "ordinal.");
}
JetError ObjectClosed() {
  return JetError(3704, "Operation is not allowed when the object is closed.");
}
JetError ObjectOpen() {
  return JetError(3705, "Operation is not allowed when the object is open.");
}
JetError ProviderNotFound() {
  return JetError(3706, "Provider cannot be found. It may not be properly installed.");
}

}  // namespace dbaccess::jet_errors
