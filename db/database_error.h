#pragma once
// Failures of the data access layer.
#include <stdexcept>
#include <string>

namespace maj::db {

// What to check, last line of the description of a failure that can only come from a value larger than the
// server's max_allowed_packet.
extern const char kPacketLimitAdvice[];

// What to check, last line of the description of a lost connection: the server stopped, the network, a
// server silent beyond the time limit, or a value over max_allowed_packet that made the server drop the
// connection.
extern const char kLostConnectionAdvice[];

// A failure of the data access layer. what() is the description a user reads (DescribeDatabaseFailure): for
// a failed connection, a lost connection or a value over the packet limit, a French headline naming the data
// source, the driver's text as the detail and what to check; for any other failure of a statement, the
// driver's text alone.
class DatabaseError : public std::runtime_error {
 public:
  // `driverText` empty: the failure was found by the layer itself and the description is its whole text.
  explicit DatabaseError(const std::string& description, std::string sqlState = {}, int nativeError = 0,
                         std::string driverText = {});

  // The five-character ODBC state ("28000", "HY000"...); empty for failures found by the layer itself.
  const std::string& SqlState() const { return sqlState_; }
  // The server's or client library's error number (1045, 2006...); 0 when there is none.
  int NativeError() const { return nativeError_; }
  // The driver's first diagnostic text, unchanged; the description for failures found by the layer itself.
  const std::string& DriverText() const { return driverText_; }

 private:
  std::string sqlState_;
  int nativeError_;
  std::string driverText_;
};

}  // namespace maj::db
