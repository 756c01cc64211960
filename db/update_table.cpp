#include "db/update_table.h"

#include <exception>

#include "db/query_helpers.h"

namespace maj::db {

// CONDITION is a reserved word of MySQL and MariaDB: the column and the index of that name are back-quoted,
// without which the server rejects the whole statement and the table would never be created.
const char kCreateUpdateTableStatement[] =
    "CREATE TABLE Fichier64 ("
    " CLE_FICHIER INT(11) NOT NULL AUTO_INCREMENT, "
    " VERSION VARCHAR(20) NOT NULL DEFAULT '0',"
    " DATA LONGBLOB NOT NULL,"
    " TYPE TINYINT(4) NOT NULL DEFAULT '0',"
    " NOM VARCHAR(100) NOT NULL DEFAULT '',"
    " Archive VARCHAR(255) NULL DEFAULT NULL,"
    " WIN9X TINYINT(4) NOT NULL DEFAULT '-1',"
    " WINNT4 TINYINT(4) NOT NULL DEFAULT '-1',"
    " WIN2000 TINYINT(4) NOT NULL DEFAULT '-1',"
    " WINXP TINYINT(4) NOT NULL DEFAULT '-1',"
    " WIN2003 TINYINT(4) NOT NULL DEFAULT '-1',"
    " WINME TINYINT(4) NOT NULL DEFAULT '-1',"
    " Vista TINYINT(4) NOT NULL DEFAULT '0',"
    " Win7 TINYINT(4) NOT NULL DEFAULT '0',"
    " Win8 TINYINT(4) NOT NULL DEFAULT '0',"
    " `condition` VARCHAR(255) NOT NULL DEFAULT '',"
    " typeCondition TINYINT(4) NOT NULL DEFAULT '0',"
    " action1 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData1 VARCHAR(255) NOT NULL DEFAULT '',"
    " action2 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData2 VARCHAR(255) NOT NULL DEFAULT '',"
    " action3 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData3 VARCHAR(255) NOT NULL DEFAULT '',"
    " PRIMARY KEY (CLE_FICHIER),"
    " INDEX VERSION (VERSION),"
    " INDEX WIN2003 (WIN2003, NOM),"
    " INDEX WIN9X (WIN9X, NOM),"
    " INDEX WINNT4 (WINNT4, NOM),"
    " INDEX WIN2000 (WIN2000, NOM),"
    " INDEX WINXP (WINXP, NOM),"
    " INDEX WINME (WINME, NOM),"
    " INDEX Vista (Vista, NOM),"
    " INDEX Win7 (Win7, NOM),"
    " INDEX Win8 (Win8, NOM),"
    " INDEX NOM (NOM),"
    " INDEX `condition` (`condition`),"
    " INDEX typeCondition (typeCondition),"
    " INDEX action1 (action1),"
    " INDEX action2 (action2),"
    " INDEX action3 (action3)"
    " )"
    " COLLATE='latin1_swedish_ci'"
    " ENGINE=MyISAM;";

void EnsureUpdateTable() {
  try {
    OpenQuery(kCreateUpdateTableStatement, kCursorDynamic);
  } catch (const std::exception&) {
    // The table usually exists already; a missing right is not reported either.
  }
}

// Columns: the version's name and version; the SHA-256 of its whole stored content (hexadecimal); the fields
// that say what it does, as in Fichier64; ARCHIVES, the Archive values of its rows in key order, one per line,
// each written ">" + name, or "-" for NULL; the key identifier, the Ed25519 signature (base64), the time of
// signing (UTC) and the format of the signed encoding.
const char kCreateSignatureTableStatement[] =
    "CREATE TABLE IF NOT EXISTS Fichier64Signature ("
    " CLE_SIGNATURE INT(11) NOT NULL AUTO_INCREMENT,"
    " NOM VARCHAR(100) NOT NULL DEFAULT '',"
    " VERSION VARCHAR(20) NOT NULL DEFAULT '0',"
    " EMPREINTE_SHA256 CHAR(64) NOT NULL DEFAULT '',"
    " TYPE TINYINT(4) NOT NULL DEFAULT '0',"
    " WIN9X TINYINT(4) NOT NULL DEFAULT '0',"
    " WINNT4 TINYINT(4) NOT NULL DEFAULT '0',"
    " WIN2000 TINYINT(4) NOT NULL DEFAULT '0',"
    " WINXP TINYINT(4) NOT NULL DEFAULT '0',"
    " WIN2003 TINYINT(4) NOT NULL DEFAULT '0',"
    " WINME TINYINT(4) NOT NULL DEFAULT '0',"
    " Vista TINYINT(4) NOT NULL DEFAULT '0',"
    " Win7 TINYINT(4) NOT NULL DEFAULT '0',"
    " Win8 TINYINT(4) NOT NULL DEFAULT '0',"
    " `condition` VARCHAR(255) NOT NULL DEFAULT '',"
    " typeCondition TINYINT(4) NOT NULL DEFAULT '0',"
    " action1 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData1 VARCHAR(255) NOT NULL DEFAULT '',"
    " action2 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData2 VARCHAR(255) NOT NULL DEFAULT '',"
    " action3 TINYINT(4) NOT NULL DEFAULT '0',"
    " actionData3 VARCHAR(255) NOT NULL DEFAULT '',"
    " ARCHIVES TEXT NOT NULL,"
    " ID_CLE CHAR(16) NOT NULL DEFAULT '',"
    " SIGNATURE VARCHAR(100) NOT NULL DEFAULT '',"
    " DATE_SIGNATURE VARCHAR(20) NOT NULL DEFAULT '',"
    " FORMAT TINYINT(4) NOT NULL DEFAULT '1',"
    " PRIMARY KEY (CLE_SIGNATURE),"
    " UNIQUE INDEX NOM_VERSION (NOM, VERSION)"
    " )"
    " COLLATE='latin1_swedish_ci'"
    " ENGINE=MyISAM;";

void EnsureSignatureTable() { OpenQuery(kCreateSignatureTableStatement, kCursorDynamic); }

}  // namespace maj::db
