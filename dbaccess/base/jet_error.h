// The one exception type of the database engine layer.
//
// It carries the engine's message text exactly as Jet words it (the floors above show
// it to the user as it stands) and Jet's error number where one is known (0 otherwise).
// The functions below build every message the engine raises, so each text lives once.
#ifndef SKARNVEL_DBACCESS_BASE_JET_ERROR_H_
#define SKARNVEL_DBACCESS_BASE_JET_ERROR_H_

#include <stdexcept>
#include <string>
#include <string_view>

namespace dbaccess {

class JetError : public std::runtime_error {
 public:
  JetError(int number, const std::string& message) : std::runtime_error(message), number_(number) {}
  int number() const { return number_; }

 private:
  int number_;
};

namespace jet_errors {

// Catalog: tables, fields, indexes, relationships.
JetError TableExists(std::string_view table);        // 3010
JetError TableDoesNotExist(std::string_view table);  // 3376
JetError CannotFindTableOrConstraint();              // 3371
JetError FieldDefinedTwice();                        // 3191
JetError ItemNotFound();                             // 3265
JetError FieldInIndex();                             // 3280
// Dropping a table or an index that a relationship uses.
JetError TableInRelationship();                                        // 3281
JetError DeleteFieldInRelationship();                                  // 3303 (field not named)
JetError FieldInRelationship(std::string_view field);                  // 3383
JetError ChangeFieldInRelationship(std::string_view field);            // 3720
JetError PrimaryKeyExists();                                           // 3283
JetError DuplicateValues();                                            // 3022
JetError IndexExists(std::string_view table, std::string_view index);  // 3375
JetError NoSuchRelationship(std::string_view name, std::string_view table);           // 3377
JetError RelationshipExists(std::string_view name);                                   // 3378
JetError OrphanRows(std::string_view foreign_table, std::string_view primary_table);  // 3379
JetError NullInRequired(std::string_view table, std::string_view field);              // 3314
JetError FieldExists(std::string_view field, std::string_view table);                 // 3380
JetError ObjectExists(std::string_view name);                                         // 3012
JetError InvalidName(std::string_view name);                                          // 3125
JetError InvalidFieldInDefinition(std::string_view field);                            // 3409
JetError FieldSizeTooLong(std::string_view field);                                    // 3382
JetError TooManyFields();                                                             // 3190
JetError TooManyIndexes();                                                            // 3039
JetError TooManyIndexFields();                                                        // 3277
JetError RelationshipFieldsMismatch();                                                // 3368
JetError ReferencedTableWithoutPrimaryKey(std::string_view table);                    // 3373
JetError NoUniqueIndexReferenced();                                                   // 3609
JetError TableContainsData();                                                         // 3282
JetError InputTableNotFound(std::string_view table);                                  // 3078

// Data: rows meeting columns, indexes and relationships.
JetError NullInIndex();                                          // 3058
JetError RelatedRecordRequired(std::string_view primary_table);  // 3201
JetError ConversionError();                                      // 3421
JetError NumericOverflow();                                      // 3349
JetError FieldTooSmall();                                        // 3163
JetError TypeMismatch();                                         // 3464
JetError UnknownInsertField(std::string_view field);             // 3127
JetError ValueCountMismatch();                                   // 3346
JetError DuplicateOutputDestination(std::string_view field);     // 3063
JetError UndefinedFunction(std::string_view name);               // 3085
JetError TooFewParameters(int expected);                         // 3061
JetError UnknownFunctionInDefault(std::string_view function, std::string_view table,
                                  std::string_view field);                     // 3388
JetError UnknownNameInDefault(std::string_view name, std::string_view table);  // 3344
JetError ExpressionTooComplex();                                               // 3071

// Syntax.
JetError SyntaxErrorInFieldDefinition();  // 3292
JetError SyntaxErrorInAlterTable();       // 3293
JetError SyntaxErrorInCreateTable();      // 3290
JetError SyntaxErrorInConstraint();       // 3289
JetError SyntaxErrorInCreateIndex();      // 3291
JetError SyntaxErrorInDrop();             // 3295
JetError SyntaxErrorInInsert();           // 3134
JetError InvalidSqlStatement();           // 3129
JetError CharactersAfterEnd();            // 3142
// A statement of Jet SQL that this engine does not carry out (SELECT, UPDATE...); number 0.
JetError StatementNotSupported(std::string_view keyword);
// A saved query's text.
JetError SyntaxErrorInExpression(std::string_view expression);  // 3075
JetError MissingOperator(std::string_view expression);          // 3075 (missing operator)
JetError SyntaxErrorInDelete();                                 // 3130
JetError SyntaxErrorInFrom();                                   // 3131
JetError SyntaxErrorInGroupBy();                                // 3132
JetError SyntaxErrorInHaving();                                 // 3133
JetError SyntaxErrorInJoin();                                   // 3135
JetError SyntaxErrorInOrderBy();                                // 3138
JetError SyntaxErrorInParameters();                             // 3139
JetError SyntaxErrorInSelect();                                 // 3141
JetError SyntaxErrorInTransform();                              // 3143
JetError SyntaxErrorInUpdate();                                 // 3144
JetError SyntaxErrorInWhere();                                  // 3145
JetError SyntaxErrorInUnion();                                  // 3319

// Files.
JetError NotAValidPassword();                        // 3031
JetError CouldNotFindFile(std::string_view path);    // 3024
JetError UnrecognizedFormat(std::string_view path);  // 3343
JetError FileInUse(std::string_view path);           // 3045
JetError CannotOpenFile(std::string_view path);      // 3051
JetError DiskError();                                // 3043
JetError DiskFull();                                 // 3026
JetError DatabaseExists();                           // 3204
// Our own text in Jet's manner: a change is refused because another program changed the
// file after this process read it (Jet's number for a conflicting change).
JetError ChangedByAnotherProgram(std::string_view path);  // 3197
// A database script that cannot be read: the error of the statement at `line`, its number
// kept, its text prefixed with where it happened.
JetError ScriptError(int line, const JetError& cause);
// A change of a Jet .mdb file, which the engine layer cannot write yet (no Jet number).
JetError JetFileReadOnly(std::string_view path);
// A change of a Jet .mdb file of a kind the engine layer cannot write yet (no Jet number);
// `what` names it, e.g. "Creating relationships".
JetError JetChangeNotSupported(std::string_view what, std::string_view path);
// A table of a Jet .mdb file this engine cannot change (no Jet number); `reason` says why,
// e.g. the text sort order of an index whose keys it cannot build.
JetError TableNotWritable(std::string_view table, std::string_view reason);
JetError RecordTooLarge();  // 3047: a row longer than a page holds
// A change of an Access 97 (Jet 3) file, which is only ever read (3027, Jet's number for a
// read-only database).
JetError Jet3FileReadOnly(std::string_view path);
// A change refused because Access's lock file `lock_file` lies beside the database: Access
// has it open, or left the lock file behind (3045, with our own text).
JetError OpenInAccess(std::string_view path, std::string_view lock_file);

// Transactions and DAO.
JetError CommitWithoutBegin();  // 3034
JetError ReadOnlyDatabase();    // 3027
JetError TransactionActive();   // 0: a second BeginTrans
JetError InvalidClassString();  // 0: an unknown automation class

// The ADO-like face (ADO's own numbers and texts).
JetError InvalidArgument();      // 3001: a bad filter, sort, connection text
JetError NoCurrentRecord();      // 3021
JetError ItemNotInCollection();  // 3265: an unknown field of a recordset
JetError ObjectClosed();         // 3704
JetError ObjectOpen();           // 3705
JetError ProviderNotFound();     // 3706

}  // namespace jet_errors
}  // namespace dbaccess

#endif  // SKARNVEL_DBACCESS_BASE_JET_ERROR_H_
