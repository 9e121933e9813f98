#include "platform/ado/odbc/odbc_call.h"

#include <fmt/format.h>

#include "platform/ado/errors.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

struct InjectedFailure {
  std::string function;
  std::string sqlstate;
};
thread_local std::vector<InjectedFailure> injected_failures;

std::string Describe(const CallContext& where) {
  return DescribeWhere(where.statement, where.engine_text, where.data_source);
}

// Drivers report a lost session in words of their own (FreeTDS: "Unexpected EOF from the server",
// SQLSTATE 01000), so the driver is asked as well as the SQLSTATE.
bool ConnectionDead(SQLHDBC dbc) {
  if (dbc == SQL_NULL_HANDLE) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  return SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)) &&
         dead == SQL_CD_TRUE;
}

[[noreturn]] void Raise(const char* function, const std::vector<Diagnostic>& records,
                        const CallContext& where) {
  std::string message;
  std::string sqlstate = "HY000";
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Diagnostic& d = records[i];
    if (i == 0) sqlstate = d.sqlstate;
    if (!message.empty()) message += "; ";
    message += fmt::format("{} [SQLSTATE {}, native error {}]", oleaut::ToUtf8(d.message),
                           d.sqlstate, d.native_error);
  }
  if (message.empty()) message = fmt::format("{} failed without a diagnostic record", function);
  if (where.connection_lost && (IsConnectionLost(sqlstate) || ConnectionDead(where.connection))) {
    *where.connection_lost = true;
    message += "; the connection to the server was lost";
  }
  message += fmt::format(" ({}){}", function, Describe(where));
  throw oleaut::ComError(HresultOfSqlState(sqlstate), std::u16string(kSource),
                         oleaut::FromUtf8(message));
}

}  // namespace

// Through the narrow functions, as UTF-8: drivers without the wide ones (the SQLite driver) would
// have their messages widened by the driver manager byte by byte.
std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle) {
  std::vector<Diagnostic> records;
  if (handle == SQL_NULL_HANDLE) return records;
  for (SQLSMALLINT i = 1; i <= 8; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    std::string message(2048, '\0');
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SQLGetDiagRec(handle_type, handle, i, state, &native,
                                       reinterpret_cast<SQLCHAR*>(message.data()),
                                       static_cast<SQLSMALLINT>(message.size()), &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) break;
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                         message.size() - 1));
    Diagnostic d;
    d.sqlstate = reinterpret_cast<const char*>(state);
    d.native_error = native;
    d.message = oleaut::FromUtf8(message);
    records.push_back(std::move(d));
  }
  return records;
}

void RaiseCallError(const char* function, SQLSMALLINT handle_type, SQLHANDLE handle,
                    const CallContext& where) {
  Raise(function, ReadDiagnostics(handle_type, handle), where);
}

void RaiseProviderError(std::int32_t hresult, const std::string& message,
                        const CallContext& where) {
  throw oleaut::ComError(hresult, std::u16string(kSource),
                         oleaut::FromUtf8(message + Describe(where)));
}

std::int32_t HresultOfSqlState(std::string_view sqlstate) {
  const auto is = [&](std::string_view prefix) { return sqlstate.rfind(prefix, 0) == 0; };
  if (is("42S02") || is("42S22")) return oleaut::DB_E_NOTABLE;
  if (is("42") || is("37")) return oleaut::DB_E_ERRORSINCOMMAND;
  if (is("23")) return oleaut::DB_E_INTEGRITYVIOLATION;
  if (is("22001") || is("22003")) return oleaut::DB_E_DATAOVERFLOW;
  if (is("22")) return oleaut::DB_E_CANTCONVERTVALUE;
  if (is("HYT00") || is("HYT01")) return oleaut::DB_E_ABORTLIMITREACHED;
  if (is("28")) return oleaut::DB_SEC_E_AUTH_FAILED;
  return oleaut::E_FAIL;
}

bool IsConnectionLost(std::string_view sqlstate) {
  return sqlstate.rfind("08", 0) == 0 || sqlstate == "HYT01";
}

void FailNextCall(std::string function, std::string sqlstate) {
  injected_failures.push_back({std::move(function), std::move(sqlstate)});
}

namespace detail {

bool TakeInjectedFailure(const char* function, std::string* sqlstate) {
  if (injected_failures.empty()) return false;
  for (auto it = injected_failures.begin(); it != injected_failures.end(); ++it) {
    if (it->function == function) {
      *sqlstate = std::move(it->sqlstate);
      injected_failures.erase(it);
      return true;
    }
  }
  return false;
}

void RaiseInjected(const char* function, const std::string& sqlstate, const CallContext& where) {
  Raise(function, {{sqlstate, 0, u"Communication link failure (injected by a test)"}}, where);
}

}  // namespace detail

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    Reset();
    type_ = other.type_;
    handle_ = other.handle_;
    other.handle_ = SQL_NULL_HANDLE;
  }
  return *this;
}

Handle Handle::Allocate(SQLSMALLINT type, SQLHANDLE parent, const CallContext& where) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  const SQLRETURN rc = SQLAllocHandle(type, parent, &handle);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
    if (parent != SQL_NULL_HANDLE) {
      RaiseCallError("SQLAllocHandle", type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV,
                     parent, where);
    }
    RaiseProviderError(oleaut::E_FAIL, "The ODBC driver manager cannot allocate an environment",
                       where);
  }
  return Handle(type, handle);
}

void Handle::Reset() noexcept {
  if (handle_ == SQL_NULL_HANDLE) return;
  if (type_ == SQL_HANDLE_DBC) {
    // A session in a transaction would refuse to disconnect: its work is abandoned first.
    SQLEndTran(SQL_HANDLE_DBC, handle_, SQL_ROLLBACK);
    SQLDisconnect(handle_);
  }
  SQLFreeHandle(type_, handle_);
  handle_ = SQL_NULL_HANDLE;
}

}  // namespace ado::odbc
