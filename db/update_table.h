#pragma once
// Table Fichier64, which holds the published files.
namespace maj::db {

// The statement that creates table Fichier64 (MyISAM, latin1_swedish_ci, flags of the six older Windows
// versions defaulting to -1 and of Vista, 7 and 8 to 0).
extern const char kCreateUpdateTableStatement[];

// Creates table Fichier64 through OpenQuery. Any failure (the table exists already, no right to create it,
// no connection) is ignored without a message.
void EnsureUpdateTable();

}  // namespace maj::db
