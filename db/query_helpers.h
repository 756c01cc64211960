#pragma once
// The helpers between the program's SQL texts and the database.
#include <string>
#include <string_view>

#include "db/result_set.h"

namespace maj::db {

// Runs `statement` on the shared connection and returns its rows. With a driver of ODBC 3.51 or later
// (DriverIsOdbc351() not 0) a new result set is opened with `cursorType` and an unspecified lock type;
// otherwise the statement is executed directly on the connection, which gives a forward-only result set.
// A statement without rows gives a closed result set. Database failures reach the caller unchanged.
ResultSet OpenQuery(std::string_view statement, int cursorType);

// `text` made safe between single quotes in a MySQL statement: every ' and every \ is doubled.
std::string QuoteSqlText(std::string_view text);

// `name` made safe as a MySQL identifier: enclosed in back quotes, inner back quotes doubled.
std::string QuoteSqlIdentifier(std::string_view name);

// The stored form of a version: each dot-separated piece written as a whole number of at least three digits
// ("13.1.10" gives "013.001.010", "2.0.1234" gives "002.000.1234"); an empty text stays empty. Blanks around a
// piece and a sign are accepted. Throws std::invalid_argument, with a French description, when a piece is not
// a whole number (an empty piece included, as in "1..2").
std::string NormalizeVersion(std::string_view version);

}  // namespace maj::db
