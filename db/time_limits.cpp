#include "db/time_limits.h"

#include <charconv>
#include <optional>

#include "db/connection_string.h"
#include "db/odbc_configuration.h"

namespace maj::db {
namespace {

// The driver's keys and the program's values. The connection string wins over the data source's keys in the
// MariaDB driver, so a key is only added when the data source does not set it.
struct Limit {
  const char* key;
  int seconds;
};
constexpr Limit kConnectLimit{"CONN_TIMEOUT", kConnectTimeLimitSeconds};
constexpr Limit kLimits[] = {kConnectLimit,
                             {"READ_TIMEOUT", kReadTimeLimitSeconds},
                             {"WRITE_TIMEOUT", kWriteTimeLimitSeconds}};

// A positive number of seconds, else nullopt (0 means no limit to the driver: the program's limit applies).
std::optional<int> PositiveSeconds(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

}  // namespace

TimeLimitedConnection WithTimeLimits(std::string_view connectionString) {
  TimeLimitedConnection result{std::string(connectionString)};
  const std::string dataSource = ConnectionStringValue(connectionString, "DSN").value_or("");
  for (const Limit& limit : kLimits) {
    const std::optional<std::string> given = ConnectionStringValue(connectionString, limit.key);
    std::optional<int> own = given ? PositiveSeconds(*given) : std::nullopt;
    if (!given && !dataSource.empty()) own = PositiveSeconds(DataSourceValue(dataSource, limit.key));
    if (!given && !own) AppendConnectionAttribute(result.connectionString, limit.key, std::to_string(limit.seconds));
    if (own && limit.key == kConnectLimit.key) result.loginSeconds = *own;
  }
  return result;
}

}  // namespace maj::db
