#pragma once
// Failures of the data access layer.
#include <stdexcept>
#include <string>

namespace maj::db {

// Advice appended, on its own line, to the description of a failure caused by a value larger than the
// server's max_allowed_packet (or of the connection loss that such a value causes).
extern const char kPacketLimitAdvice[];

// A failure of the data access layer. what() is the description: the driver's diagnostic text unchanged,
// followed by kPacketLimitAdvice when the failure can come from the server's max_allowed_packet.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& description, std::string sqlState = {}, int nativeError = 0);

  // The five-character ODBC state ("28000", "HY000"...); empty for failures found by the layer itself.
  const std::string& SqlState() const { return sqlState_; }
  // The server's or client library's error number (1045, 2006...); 0 when there is none.
  int NativeError() const { return nativeError_; }

 private:
  std::string sqlState_;
  int nativeError_;
};

}  // namespace maj::db
