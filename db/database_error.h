#pragma once
// Failures of the data access layer.
#include <stdexcept>
#include <string>

namespace maj::db {

// Advice appended, on its own line, to the description of a failure that can only come from a value larger
// than the server's max_allowed_packet.
extern const char kPacketLimitAdvice[];

// Advice appended, on its own line, to the description of a lost connection: the server stopped, the
// network, or a value over max_allowed_packet that made the server drop the connection.
extern const char kLostConnectionAdvice[];

// Advice appended, on its own line, to the description of a connection refused by TLS: the server's
// certificate does not match the host of the data source, or is not signed by its CA.
extern const char kCertificateAdvice[];

// A failure of the data access layer. what() is the description: the driver's diagnostic text unchanged,
// followed by kPacketLimitAdvice or kLostConnectionAdvice when the diagnostic says so.
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
