#include "db/odbc_support.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "db/local_file.h"
#include "platform/text.h"

namespace maj::db::odbc {
namespace {

// Size of the pieces in which binary parameters are sent.
constexpr std::size_t kPutDataPiece = 1 << 20;

// MySQL client and server error numbers. Only the first two can mean nothing but a value over
// max_allowed_packet (the server refuses the packet, the client refuses to send it). A lost connection
// (gone away, lost during a query) has many causes: a stopped server, the network, or the server dropping a
// connection that sent too large a value.
constexpr int kPacketTooLarge = 1153;
constexpr int kClientPacketTooLarge = 2020;
constexpr int kServerGoneAway = 2006;
constexpr int kLostConnection = 2013;
constexpr int kTlsConnectionError = 2026;

bool PointsAtPacketLimit(const std::vector<Diagnostic>& records) {
  for (const Diagnostic& record : records) {
    if (record.nativeError == kPacketTooLarge || record.nativeError == kClientPacketTooLarge) return true;
    if (platform::ToLowerCase(record.message).find("max_allowed_packet") != std::string::npos) return true;
  }
  return false;
}

bool PointsAtLostConnection(const std::vector<Diagnostic>& records) {
  for (const Diagnostic& record : records) {
    if (record.nativeError == kServerGoneAway || record.nativeError == kLostConnection) return true;
    const std::string lower = platform::ToLowerCase(record.message);
    if (lower.find("gone away") != std::string::npos || lower.find("lost connection") != std::string::npos) {
      return true;
    }
  }
  return false;
}

// A TLS failure while connecting: the server's certificate was refused (not signed by the data source's CA,
// or not made for the host it names), or the TLS exchange itself failed.
bool PointsAtCertificate(const std::vector<Diagnostic>& records) {
  for (const Diagnostic& record : records) {
    if (record.nativeError == kTlsConnectionError) return true;
    if (platform::ToLowerCase(record.message).find("tls/ssl error") != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<Diagnostic> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT index = 1;; ++index) {
    SQLCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    std::string message(1024, '\0');
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, index, state, &nativeError,
                                 reinterpret_cast<SQLCHAR*>(message.data()),
                                 static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
      message.assign(static_cast<std::size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(handleType, handle, index, state, &nativeError,
                         reinterpret_cast<SQLCHAR*>(message.data()), static_cast<SQLSMALLINT>(message.size()),
                         &length);
    }
    if (!Succeeded(rc)) break;
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                         message.size() - 1));
    records.push_back({reinterpret_cast<const char*>(state), static_cast<int>(nativeError), message});
  }
  return records;
}

DatabaseError MakeError(SQLSMALLINT handleType, SQLHANDLE handle, const char* operation) {
  const std::vector<Diagnostic> records = ReadDiagnostics(handleType, handle);
  if (records.empty()) return DatabaseError(std::string("ODBC call failed: ") + operation);
  std::string description = records.front().message;
  if (PointsAtPacketLimit(records)) {
    description += "\n" + std::string(kPacketLimitAdvice);
  } else if (PointsAtLostConnection(records)) {
    description += "\n" + std::string(kLostConnectionAdvice);
  } else if (PointsAtCertificate(records)) {
    description += "\n" + std::string(kCertificateAdvice);
  }
  return DatabaseError(description, records.front().state, records.front().nativeError);
}

void Check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char* operation) {
  if (Succeeded(rc) || rc == SQL_NO_DATA) return;
  throw MakeError(handleType, handle, operation);
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
  const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
  if (!Succeeded(rc)) {
    const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
    throw MakeError(parentType, parent, "SQLAllocHandle");
  }
}

Handle::~Handle() {
  if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
}

std::shared_ptr<Handle> Environment() {
  static const std::shared_ptr<Handle> environment = [] {
    auto handle = std::make_shared<Handle>(SQL_HANDLE_ENV, static_cast<SQLHANDLE>(SQL_NULL_HANDLE));
    Check(SQLSetEnvAttr(handle->get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, handle->get(), "SQLSetEnvAttr");
    return handle;
  }();
  return environment;
}

Session::Session() : environment_(Environment()) {
  const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, environment_->get(), &connection_);
  if (!Succeeded(rc)) throw MakeError(SQL_HANDLE_ENV, environment_->get(), "SQLAllocHandle");
}

Session::~Session() {
  Close();
  if (connection_ != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, connection_);
}

void Session::Connect(const std::string& connectionString) {
  if (connection_ == SQL_NULL_HDBC) throw DatabaseError("Operation is not allowed when the object is closed.");
  SQLCHAR completed[1024];
  SQLSMALLINT completedLength = 0;
  const SQLRETURN rc = SQLDriverConnect(
      connection_, nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.c_str())),
      static_cast<SQLSMALLINT>(connectionString.size()), completed, sizeof completed, &completedLength,
      SQL_DRIVER_NOPROMPT);
  if (!Succeeded(rc)) throw MakeError(SQL_HANDLE_DBC, connection_, "SQLDriverConnect");
  connected_ = true;
}

void Session::Close() {
  for (const std::weak_ptr<StatementSlot>& weak : statements_) {
    if (const std::shared_ptr<StatementSlot> slot = weak.lock(); slot && slot->handle != SQL_NULL_HSTMT) {
      SQLFreeHandle(SQL_HANDLE_STMT, slot->handle);
      slot->handle = SQL_NULL_HSTMT;
    }
  }
  statements_.clear();
  if (connected_) {
    SQLDisconnect(connection_);
    connected_ = false;
  }
  if (connection_ != SQL_NULL_HDBC) {
    SQLFreeHandle(SQL_HANDLE_DBC, connection_);
    connection_ = SQL_NULL_HDBC;
  }
}

SQLHDBC Session::handle() const {
  if (!connected_) throw DatabaseError("Operation is not allowed when the object is closed.");
  return connection_;
}

std::shared_ptr<StatementSlot> Session::AllocateStatement() {
  SQLHDBC connection = handle();
  auto slot = std::make_shared<StatementSlot>();
  const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection, &slot->handle);
  if (!Succeeded(rc)) throw MakeError(SQL_HANDLE_DBC, connection, "SQLAllocHandle");
  std::erase_if(statements_, [](const std::weak_ptr<StatementSlot>& weak) { return weak.expired(); });
  statements_.push_back(slot);
  return slot;
}

Statement::Statement(std::shared_ptr<Session> session)
    : session_(std::move(session)), slot_(session_->AllocateStatement()) {}

Statement::~Statement() { Free(); }

Statement::Statement(std::shared_ptr<Session> session, std::shared_ptr<StatementSlot> slot)
    : session_(std::move(session)), slot_(std::move(slot)), ownsHandle_(false) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Free();
    session_ = std::move(other.session_);
    slot_ = std::move(other.slot_);
    ownsHandle_ = other.ownsHandle_;
  }
  return *this;
}

Statement Statement::CursorOwner() const {
  handle();
  return Statement(session_, slot_);
}

void Statement::Free() {
  if (slot_ && slot_->handle != SQL_NULL_HSTMT) {
    if (ownsHandle_) {
      SQLFreeHandle(SQL_HANDLE_STMT, slot_->handle);
      slot_->handle = SQL_NULL_HSTMT;
    } else {
      SQLFreeStmt(slot_->handle, SQL_CLOSE);
    }
  }
  slot_.reset();
}

SQLHSTMT Statement::handle() const {
  if (!slot_ || slot_->handle == SQL_NULL_HSTMT) {
    throw DatabaseError("Operation is not allowed when the object is closed.");
  }
  return slot_->handle;
}

void Statement::Check(SQLRETURN rc, const char* operation) const {
  odbc::Check(rc, SQL_HANDLE_STMT, handle(), operation);
}

void Statement::ExecuteDirect(std::string_view sql) {
  Check(SQLExecDirect(handle(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                      static_cast<SQLINTEGER>(sql.size())),
        "SQLExecDirect");
}

void Statement::ExecuteWithParameters(std::string_view sql, const std::vector<Parameter>& parameters) {
  Prepare(sql);
  ExecutePrepared(parameters);
}

void Statement::Prepare(std::string_view sql) {
  Check(SQLPrepare(handle(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                   static_cast<SQLINTEGER>(sql.size())),
        "SQLPrepare");
}

void Statement::ExecutePrepared(const std::vector<Parameter>& parameters) {
  SQLHSTMT stmt = handle();

  // Bound buffers must stay in place until the statement has run.
  std::vector<SQLLEN> indicators(parameters.size());
  std::vector<std::int64_t> integers(parameters.size());
  static char nullBuffer[1] = {0};
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    const Parameter& parameter = parameters[i];
    const Value& value = parameter.GetValue();
    const auto number = static_cast<SQLUSMALLINT>(i + 1);
    // The token handed back by SQLParamData: the parameter's index + 1.
    const auto token = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(i + 1));
    SQLRETURN rc;
    if (parameter.IsFile() || value.IsBinary()) {
      const std::uint64_t size =
          parameter.IsFile() ? internal::InputFile(parameter.FilePath()).Size() : value.BinaryIf()->size();
      indicators[i] = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(size));
      rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                            std::max<SQLULEN>(size, 1), 0, token, 0, &indicators[i]);
    } else if (const std::string* text = value.TextIf()) {
      indicators[i] = static_cast<SQLLEN>(text->size());
      rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR,
                            text->size() > 65535 ? SQL_LONGVARCHAR : SQL_VARCHAR, std::max<SQLULEN>(text->size(), 1),
                            0, const_cast<char*>(text->empty() ? nullBuffer : text->data()),
                            static_cast<SQLLEN>(text->size()), &indicators[i]);
    } else if (value.IsInteger()) {
      integers[i] = value.AsInteger();
      rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &integers[i], 0,
                            &indicators[i]);
    } else {
      indicators[i] = SQL_NULL_DATA;
      rc = SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0, nullBuffer, 0,
                            &indicators[i]);
    }
    Check(rc, "SQLBindParameter");
  }

  const SQLRETURN rc = SQLExecute(stmt);
  if (rc == SQL_NEED_DATA) {
    SendDataAtExecution(parameters);
  } else {
    Check(rc, "SQLExecute");
  }
  SQLFreeStmt(stmt, SQL_RESET_PARAMS);
}

void Statement::SendDataAtExecution(const std::vector<Parameter>& parameters) {
  SQLHSTMT stmt = handle();
  std::vector<char> piece(1);
  for (;;) {
    SQLPOINTER token = nullptr;
    const SQLRETURN rc = SQLParamData(stmt, &token);
    if (rc != SQL_NEED_DATA) {
      Check(rc, "SQLParamData");
      return;
    }
    const auto index = reinterpret_cast<std::uintptr_t>(token) - 1;
    if (index >= parameters.size()) {
      SQLCancel(stmt);
      throw DatabaseError("ODBC driver asked for an unknown parameter");
    }
    const Parameter& parameter = parameters[index];
    try {
      if (parameter.IsFile()) {
        internal::InputFile file(parameter.FilePath());
        piece.resize(kPutDataPiece);
        bool sentAny = false;
        for (;;) {
          const std::size_t count = file.Read(piece.data(), piece.size());
          if (count == 0 && sentAny) break;
          Check(SQLPutData(stmt, piece.data(), static_cast<SQLLEN>(count)), "SQLPutData");
          sentAny = true;
          if (count == 0) break;
        }
      } else {
        const Bytes& bytes = *parameter.GetValue().BinaryIf();
        std::size_t offset = 0;
        do {
          const std::size_t count = std::min(kPutDataPiece, bytes.size() - offset);
          char* data = bytes.empty() ? piece.data() : reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes.data()));
          Check(SQLPutData(stmt, data + offset, static_cast<SQLLEN>(count)), "SQLPutData");
          offset += count;
        } while (offset < bytes.size());
      }
    } catch (...) {
      SQLCancel(stmt);
      throw;
    }
  }
}

int Statement::ColumnCount() const {
  SQLSMALLINT count = 0;
  Check(SQLNumResultCols(handle(), &count), "SQLNumResultCols");
  return count;
}

std::int64_t Statement::AffectedRows() const {
  SQLLEN count = 0;
  Check(SQLRowCount(handle(), &count), "SQLRowCount");
  return count;
}

}  // namespace maj::db::odbc
