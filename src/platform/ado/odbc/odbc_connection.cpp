#include "platform/ado/odbc/odbc_connection.h"

#include <dlfcn.h>
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>

#include "platform/ado/odbc/driver_keys.h"
#include "platform/ado/odbc/fetch_buffers.h"
#include "platform/ado/sqlite/engine_setup.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace ado::odbc {
namespace {

bool IsAnyOf(std::int32_t number, std::initializer_list<std::int32_t> numbers) {
  return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

// The extension that carries the T-SQL runtime into the SQLite driver's connection: beside this
// library, unless TAV_SQLITE_EXTENSION names another.
std::u16string RuntimeExtensionPath() {
  if (const char* configured = std::getenv("TAV_SQLITE_EXTENSION"); configured && *configured) {
    return oleaut::FromUtf8(configured);
  }
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&RuntimeExtensionPath), &info) && info.dli_fname) {
    const auto path = std::filesystem::path(info.dli_fname).parent_path() / "libtavsqlite.so";
    return oleaut::FromUtf8(path.string());
  }
  return u"libtavsqlite.so";
}

std::u16string WithRuntimeExtension(const std::u16string& connection_string) {
  ConnectionSettings settings = ParseConnectionString(connection_string);
  const std::u16string extension = RuntimeExtensionPath();
  std::error_code ignored;
  if (!std::filesystem::exists(oleaut::ToUtf8(extension), ignored)) {
    RaiseProviderError(oleaut::E_FAIL,
                       fmt::format("The T-SQL runtime extension '{}' is missing: build the "
                                   "tavsqlite target or set TAV_SQLITE_EXTENSION",
                                   oleaut::ToUtf8(extension)),
                       {});
  }
  // The driver reads its keys without regard to braces, and takes the first setting of a key:
  // ours go first, before any braced value. It loads our extension and no other (a LoadExt of
  // the caller's was refused before the first connection).
  ConnectionSettings ours{{u"LoadExt", extension}};
  // The embedded provider's busy timeout, unless the string sets the driver's own.
  if (!FindSetting(settings, u"Timeout")) ours.push_back({u"Timeout", u"10000"});
  for (ConnectionSetting& s : settings) {
    if (!oleaut::EqualsNoCase(s.key, u"LoadExt")) ours.push_back(std::move(s));
  }
  settings = std::move(ours);
  return JoinOdbcSettings(settings);
}

}  // namespace

OdbcConnection::OdbcConnection(OdbcTarget target) : target_(std::move(target)) {
  Connect();
}

void OdbcConnection::Connect() {
  // The SQLite ODBC driver runs on this process's SQLite library.
  sqlite::ConfigureEngineOnce();
  env_ = Handle::Allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE, Where());
  TAV_ODBC_CALL(SQL_HANDLE_ENV, env_.Get(), Where(), SQLSetEnvAttr, env_.Get(),
                SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  ConnectWith(target_.connection_string);
  dialect_ = DialectOfDbms();
  // Debian's SQLite driver has no wide functions; SQL Server's drivers have them.
  text_api_ = dialect_ == Dialect::kSqlite ? TextApi::kUtf8 : TextApi::kWide;
  if (dialect_ == Dialect::kSqlite) {
    // The driver loads the runtime only when it opens the database: open it again so.
    dbc_.Reset();
    ConnectWith(WithRuntimeExtension(target_.connection_string));
    RunInternal("SELECT tsql_reject_quoted_literals()");
    RunInternal("PRAGMA foreign_keys = ON");
    RunInternal("PRAGMA temp_store = MEMORY");
    RunInternal("PRAGMA journal_mode = WAL");
    RunInternal("PRAGMA synchronous = NORMAL");
  } else {
    // Long text and image values whole, not cut at the driver's default text size.
    RunInternal("SET TEXTSIZE 2147483647");
  }
  text_fetch_ = DriverReadsBoundColumnsAgain(dbc_.Get()) ? TextFetch::kBound : TextFetch::kPerValue;
  lost_ = false;
  in_transaction_ = false;
}

void OdbcConnection::ConnectWith(std::u16string connection_string) {
  dbc_ = Handle::Allocate(SQL_HANDLE_DBC, env_.Get(), Where());
  const auto timeout = static_cast<SQLULEN>(target_.login_timeout_seconds);
  TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLSetConnectAttrW, dbc_.Get(),
                SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout), 0);
  TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLSetConnectAttrW, dbc_.Get(),
                SQL_ATTR_CONNECTION_TIMEOUT, reinterpret_cast<SQLPOINTER>(timeout), 0);
  SQLSMALLINT length = 0;
  const SQLRETURN rc = SQLDriverConnectW(dbc_.Get(), nullptr, Wide(connection_string), SQL_NTS,
                                         nullptr, 0, &length, SQL_DRIVER_NOPROMPT);
  if (SQL_SUCCEEDED(rc)) return;
  RaiseConnectError();
}

// What went wrong, in words a person setting up a data source can act on.
void OdbcConnection::RaiseConnectError() {
  const std::vector<Diagnostic> records = ReadDiagnostics(SQL_HANDLE_DBC, dbc_.Get());
  std::string sqlstate = records.empty() ? "HY000" : records.front().sqlstate;
  // SQL Server's refusals of a login come with the drivers' own SQLSTATEs (42000 from FreeTDS),
  // but always with one of these numbers.
  for (const Diagnostic& d : records) {
    if (d.sqlstate.rfind("28", 0) == 0 ||
        IsAnyOf(d.native_error, {18456, 18452, 18470, 18486, 18487, 18488, 4060})) {
      sqlstate = "28000";
    }
  }
  std::string hint;
  if (sqlstate == "IM002" || sqlstate == "01000" || sqlstate == "IM003") {
    hint =
        "the ODBC driver or data source is not installed (see odbcinst -q -d and "
        "odbcinst -q -s); ";
  } else if (sqlstate == "HYT00" || sqlstate == "HYT01") {
    hint =
        fmt::format("the server did not answer within {} seconds; ", target_.login_timeout_seconds);
  } else if (sqlstate.rfind("08", 0) == 0) {
    hint = "the server cannot be reached; ";
  } else if (sqlstate.rfind("28", 0) == 0) {
    hint = "the login was refused; ";
  } else if (const std::optional<std::string> missing = MissingSqliteDatabase(records)) {
    hint = fmt::format(
        "the SQLite database file '{}' does not exist, and is never created through ODBC "
        "(tavprint create-db makes one); ",
        *missing);
  }
  std::string details;
  for (const Diagnostic& d : records) {
    if (!details.empty()) details += "; ";
    details += fmt::format("{} [SQLSTATE {}, native error {}]", oleaut::ToUtf8(d.message),
                           d.sqlstate, d.native_error);
  }
  if (details.empty()) details = "the driver manager gave no reason";
  dbc_.Reset();
  throw oleaut::ComError(
      HresultOfSqlState(sqlstate), std::u16string(kSource),
      oleaut::FromUtf8(fmt::format("Cannot connect to {}: {}{}",
                                   oleaut::ToUtf8(target_.description), hint, details)));
}

// The SQLite driver, which is told never to create a database file, says only "connect
// failed" when the file is missing: the file the string names, when it is missing.
std::optional<std::string> OdbcConnection::MissingSqliteDatabase(
    const std::vector<Diagnostic>& records) const {
  const bool sqlite = std::any_of(records.begin(), records.end(), [](const Diagnostic& d) {
    return d.message.find(u"[SQLite]") != std::u16string::npos;
  });
  if (!sqlite) return std::nullopt;
  const std::string database =
      oleaut::ToUtf8(DriverSetting(ParseConnectionString(target_.connection_string), u"Database"));
  std::error_code ignored;
  if (database.empty() || std::filesystem::exists(database, ignored)) return std::nullopt;
  return database;
}

Dialect OdbcConnection::DialectOfDbms() {
  std::u16string name(128, u'\0');
  SQLSMALLINT length = 0;
  TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLGetInfoW, dbc_.Get(), SQL_DBMS_NAME,
                Wide(name), static_cast<SQLSMALLINT>(name.size() * 2), &length);
  name.resize(std::min<std::size_t>(static_cast<std::size_t>(length) / 2, name.size()));
  return oleaut::UCase(name).find(u"SQLITE") != std::u16string::npos ? Dialect::kSqlite
                                                                     : Dialect::kPassThrough;
}

bool OdbcConnection::ReconnectIfLost() {
  if (!lost_ && dbc_) return false;
  // The work before the loss is gone: later statements of the same transaction must not run
  // on a new session, as if it were still there, and commit without it.
  if (in_transaction_) {
    RaiseProviderError(oleaut::E_FAIL,
                       "The connection was lost during the transaction, which the server has "
                       "rolled back: end the transaction before running more statements",
                       Where());
  }
  Disconnect();
  env_.Reset();
  Connect();
  return true;
}

void OdbcConnection::SetAutocommit(bool on) {
  TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLSetConnectAttrW, dbc_.Get(),
                SQL_ATTR_AUTOCOMMIT,
                reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
}

// Runs `text` with `values` bound to its markers in order; the statement is left on its first
// result.
Handle OdbcConnection::Run(std::u16string text, const std::vector<const ParameterValue*>& values,
                           const CallContext& where, ValueStyle style) {
  Handle stmt = Handle::Allocate(SQL_HANDLE_STMT, dbc_.Get(), where);
  if (dialect_ == Dialect::kPassThrough && target_.command_timeout_seconds > 0) {
    // A server that stops answering fails the statement instead of holding the caller for ever.
    TAV_ODBC_CALL(
        SQL_HANDLE_STMT, stmt.Get(), where, SQLSetStmtAttr, stmt.Get(), SQL_ATTR_QUERY_TIMEOUT,
        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(target_.command_timeout_seconds)), 0);
  }
  ParameterBinder binder(stmt.Get(), style, where);
  for (std::size_t i = 0; i < values.size(); ++i)
    binder.Bind(*values[i], static_cast<int>(i + 1));
  SQLRETURN rc;
  if (text_api_ == TextApi::kWide) {
    rc = TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLExecDirectW, stmt.Get(), Wide(text),
                       static_cast<SQLINTEGER>(text.size()));
  } else {
    std::string utf8 = oleaut::ToUtf8(text);
    rc = TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLExecDirect, stmt.Get(),
                       reinterpret_cast<SQLCHAR*>(utf8.data()),
                       static_cast<SQLINTEGER>(utf8.size()));
  }
  binder.SendDataAtExecution(rc);
  return stmt;
}

// Statements of the provider's own (pragmas, transactions), not of a batch.
void OdbcConnection::RunInternal(const char* sql) {
  Run(oleaut::FromUtf8(sql), {}, Where({}, sql),
      dialect_ == Dialect::kSqlite ? ValueStyle::kSqlite : ValueStyle::kSqlServer);
}

// The rows of a statement of the provider's own, every value as text.
std::vector<std::vector<std::optional<std::u16string>>> OdbcConnection::QueryInternal(
    const std::string& sql) {
  const CallContext where = Where({}, sql);
  Handle stmt = Run(oleaut::FromUtf8(sql), {}, where, ValueStyle::kSqlite);
  SQLSMALLINT count = 0;
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLNumResultCols, stmt.Get(), &count);
  std::vector<std::vector<std::optional<std::u16string>>> rows;
  while (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLFetch, stmt.Get()) != SQL_NO_DATA) {
    auto& row = rows.emplace_back();
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
      std::u16string value(1024, u'\0');
      SQLLEN indicator = 0;
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLGetData, stmt.Get(), c, SQL_C_WCHAR,
                    value.data(), static_cast<SQLLEN>(value.size() * 2), &indicator);
      if (indicator == SQL_NULL_DATA) {
        row.emplace_back();
      } else {
        value.resize(
            std::min<std::size_t>(static_cast<std::size_t>(indicator) / 2, value.size() - 1));
        row.emplace_back(std::move(value));
      }
    }
  }
  return rows;
}

}  // namespace ado::odbc
