#pragma once
// Table Fichier64, which holds the published files.
namespace maj::db {

// The statement that creates table Fichier64 (MyISAM, latin1_swedish_ci, flags of the six older Windows
// versions defaulting to -1 and of Vista, 7 and 8 to 0).
extern const char kCreateUpdateTableStatement[];

// Creates table Fichier64 through OpenQuery. Any failure (the table exists already, no right to create it,
// no connection) is ignored without a message.
void EnsureUpdateTable();

// The statement that creates table Fichier64Signature when it is missing: one signed record per published
// version (NOM, VERSION), beside Fichier64 and with its conventions (MyISAM, latin1_swedish_ci).
extern const char kCreateSignatureTableStatement[];

// Creates table Fichier64Signature when it is missing. Throws DatabaseError when the statement fails: the
// publisher calls it before writing a record, which must not be lost quietly.
void EnsureSignatureTable();

}  // namespace maj::db
