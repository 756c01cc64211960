#include "db/query_helpers.h"

#include <stdexcept>

#include "db/blanks.h"
#include "db/connection.h"
#include "db/database.h"

namespace maj::db {
namespace {

// One piece of a version as a number of at least three digits; its digits are kept whatever their count.
std::string NormalizePiece(std::string_view piece, std::string_view version) {
  std::string_view digits = internal::TrimBlanks(piece);
  std::string sign;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    if (digits.front() == '-') sign = "-";
    digits.remove_prefix(1);
  }
  const bool numeric = !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
  if (!numeric) throw std::invalid_argument("Numéro de version invalide : " + std::string(version));
  while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
  if (digits == "0") sign.clear();
  std::string result(digits.size() < 3 ? 3 - digits.size() : 0, '0');
  result += digits;
  return sign + result;
}

}  // namespace

ResultSet OpenQuery(std::string_view statement, int cursorType) {
  Connection& connection = SharedConnection();
  if (DriverIsOdbc351() != 0) {
    ResultSet rows;
    rows.Open(statement, connection, cursorType, kLockUnspecified);
    return rows;
  }
  return connection.Execute(statement);
}

std::string QuoteSqlText(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size());
  for (char c : text) {
    quoted += c;
    if (c == '\'' || c == '\\') quoted += c;
  }
  return quoted;
}

std::string QuoteSqlIdentifier(std::string_view name) {
  std::string quoted = "`";
  for (char c : name) {
    quoted += c;
    if (c == '`') quoted += c;
  }
  return quoted + "`";
}

std::string NormalizeVersion(std::string_view version) {
  if (version.empty()) return {};
  std::string result;
  std::size_t start = 0;
  for (;;) {
    const std::size_t dot = version.find('.', start);
    const std::string_view piece = version.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    result += NormalizePiece(piece, version);
    if (dot == std::string_view::npos) break;
    result += '.';
    start = dot + 1;
  }
  return result;
}

}  // namespace maj::db
