// The one wrapper around unixODBC calls: every call goes through Call, which checks its result
// and raises a ComError carrying the SQLSTATE, the native error number and the driver's message,
// the function that failed, the statement text and the data source; and the RAII owners of the
// handles. ODBC types stay in this folder: no ADO header includes it.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ado::odbc {

inline constexpr std::u16string_view kSource = u"TAV ODBC provider";

// What an error message says about where the failure happened.
struct CallContext {
  std::u16string_view data_source;  // OdbcTarget::description
  std::u16string_view statement;    // the T-SQL the component built, when there is one
  std::string_view engine_text;     // what was sent to the driver, when it differs
  // Set to true when a call fails because the connection itself is gone.
  bool* connection_lost = nullptr;
  // The session, asked after a failure whether it is still alive.
  SQLHDBC connection = SQL_NULL_HANDLE;
};

// One diagnostic record of a failed call.
struct Diagnostic {
  std::string sqlstate;  // "42S02"
  std::int32_t native_error = 0;
  std::u16string message;
};

// What the failing handle reports, every record of it.
std::vector<Diagnostic> ReadDiagnostics(SQLSMALLINT handle_type, SQLHANDLE handle);

// Raises the error of a failed call on `handle`. The HRESULT follows the SQLSTATE as SQL Server's
// OLE DB provider maps it (syntax errors 0x80040E14, missing objects 0x80040E37, constraint
// violations 0x80040E2F, truncation 0x80040E57, timeouts 0x80040E31, the rest E_FAIL).
[[noreturn]] void RaiseCallError(const char* function, SQLSMALLINT handle_type, SQLHANDLE handle,
                                 const CallContext& where);
// A provider error that is not the driver's.
[[noreturn]] void RaiseProviderError(std::int32_t hresult, const std::string& message,
                                     const CallContext& where);

// The HRESULT of a SQLSTATE.
std::int32_t HresultOfSqlState(std::string_view sqlstate);

// Whether a SQLSTATE says the connection itself is gone (class 08 and the driver managers'
// "communication link failure"), so that the session must be opened again.
bool IsConnectionLost(std::string_view sqlstate);

// Test hook: the next call of `function` ("SQLExecDirectW") made on this thread fails with
// `sqlstate` instead of reaching the driver, as a dropped network connection or a full disk makes
// it fail. Cleared once it has fired.
void FailNextCall(std::string function, std::string sqlstate);

namespace detail {
bool TakeInjectedFailure(const char* function, std::string* sqlstate);
[[noreturn]] void RaiseInjected(const char* function, const std::string& sqlstate,
                                const CallContext& where);
}  // namespace detail

// Runs `fn(args...)` and returns its SQLRETURN when it succeeded (SQL_SUCCESS,
// SQL_SUCCESS_WITH_INFO, SQL_NO_DATA, SQL_NEED_DATA); raises otherwise.
template <class Fn, class... Args>
SQLRETURN Call(const char* name, SQLSMALLINT handle_type, SQLHANDLE handle,
               const CallContext& where, Fn fn, Args... args) {
  if (std::string injected; detail::TakeInjectedFailure(name, &injected)) {
    detail::RaiseInjected(name, injected, where);
  }
  const SQLRETURN rc = fn(args...);
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA ||
      rc == SQL_NEED_DATA) {
    return rc;
  }
  RaiseCallError(name, handle_type, handle, where);
}

// Call with the function's own name: ODBC_CALL(SQL_HANDLE_STMT, stmt, where, SQLFetch, stmt).
#define TAV_ODBC_CALL(handle_type, handle, where, fn, ...) \
  ::ado::odbc::Call(#fn, handle_type, handle, where, fn, __VA_ARGS__)

// Owns one ODBC handle; frees it (and its children first, as their owners are members declared
// later) when it goes.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
  Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) {
    other.handle_ = SQL_NULL_HANDLE;
  }
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Reset(); }

  // Allocates a handle of `type` under `parent` (SQL_NULL_HANDLE for an environment).
  static Handle Allocate(SQLSMALLINT type, SQLHANDLE parent, const CallContext& where);

  SQLHANDLE Get() const noexcept { return handle_; }
  SQLSMALLINT Type() const noexcept { return type_; }
  explicit operator bool() const noexcept { return handle_ != SQL_NULL_HANDLE; }
  void Reset() noexcept;

 private:
  SQLSMALLINT type_ = SQL_HANDLE_ENV;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Text for the driver: drivers with the wide functions (FreeTDS) take UTF-16; those without them
// (the SQLite driver of Debian) take UTF-8 through the narrow ones, which the driver manager
// passes on as they are, where it would narrow UTF-16 byte by byte.
enum class TextApi { kWide, kUtf8 };

// UTF-16 text as the driver manager takes it (SQLWCHAR is 16 bits wide here).
static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
inline SQLWCHAR* Wide(std::u16string& text) {
  return reinterpret_cast<SQLWCHAR*>(text.data());
}

}  // namespace ado::odbc
