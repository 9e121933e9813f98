#include "platform/ado/odbc/odbc_provider.h"

#include <dlfcn.h>
#include <fmt/format.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <unordered_map>
#include <utility>

#include "platform/ado/odbc/connection_mapping.h"
#include "platform/ado/odbc/driver_keys.h"
#include "platform/ado/odbc/fetch_buffers.h"
#include "platform/ado/odbc/odbc_call.h"
#include "platform/ado/odbc/parameter_binding.h"
#include "platform/ado/odbc/result_reader.h"
#include "platform/ado/sql_trace.h"
#include "platform/ado/sqlite/engine_setup.h"
#include "platform/ado/sqlite/translated_statements.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"
#include "platform/tsql/program.h"
#include "platform/tsql/shape.h"
#include "platform/tsql/sql_type.h"
#include "platform/tsql/token.h"

namespace ado::odbc {
namespace {

constexpr std::int32_t kEFail = static_cast<std::int32_t>(0x80004005U);
constexpr std::int32_t kNoCommandText = static_cast<std::int32_t>(0x80040E0CU);
constexpr std::int32_t kParameterCount = static_cast<std::int32_t>(0x80040E10U);

bool IsAnyOf(std::int32_t number, std::initializer_list<std::int32_t> numbers) {
  return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

enum class Dialect {
  kPassThrough,  // SQL Server and every driver that is not SQLite's
  kSqlite,       // the SQLite ODBC driver: batches are translated
};

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

// "?3" markers of a translated statement become plain "?" (the SQLite driver counts no others),
// each standing for the batch marker it names, in the order they appear. Quoted text and names
// are left alone.
std::string PlainMarkers(const std::string& sql, std::vector<int>* order) {
  std::string out;
  out.reserve(sql.size());
  for (std::size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      const std::size_t end = sql.find(c, i + 1);
      const std::size_t stop = end == std::string::npos ? sql.size() : end + 1;
      out.append(sql, i, stop - i);
      i = stop;
      continue;
    }
    if (c == '?' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') {
      std::size_t j = i + 1;
      int number = 0;
      while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
        number = number * 10 + (sql[j++] - '0');
      order->push_back(number);
      out += '?';
      i = j;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

class OdbcProvider final : public Provider, private sqlite::StatementRunner, private tsql::Schema {
 public:
  explicit OdbcProvider(OdbcTarget target) : target_(std::move(target)) {
    Connect();
    RefreshSqlTraceFromEnvironment();
  }

  ~OdbcProvider() override {
    if (in_transaction_ && dbc_ && !lost_ && !abandoned_) {
      try {
        EndTransaction(/*commit=*/false);
      } catch (...) {  // NOLINT(bugprone-empty-catch): the session ends anyway, taking its work
      }
    }
  }

  OdbcProvider(const OdbcProvider&) = delete;
  OdbcProvider& operator=(const OdbcProvider&) = delete;

  ExecuteResult Execute(std::u16string_view batch,
                        std::span<const ParameterValue> parameters) override {
    ExecuteResult result;
    const BatchScope scope(*this, batch, target_.description, parameters, result);
    if (batch.find_first_not_of(u" \t\r\n") == std::u16string_view::npos) {
      RaiseProviderError(kNoCommandText, "Command text was not set for the command object",
                         Where());
    }
    if (abandoned_) {
      RaiseProviderError(
          kEFail,
          std::string(sqlite::kTransactionRolledBack) + ": end it before running more statements",
          Where(batch));
    }
    ReconnectIfLost();
    try {
      if (dialect_ == Dialect::kSqlite) {
        RunTranslated(batch, parameters);
      } else {
        RunPassThrough(batch, parameters);
      }
    } catch (const oleaut::ComError& error) {
      Forget();
      if (dialect_ == Dialect::kSqlite && !lost_ &&
          sqlite::ScopeOfFailure(error) == sqlite::FailureScope::kBatchAndTransaction) {
        AbandonTransaction();
      }
      throw;
    } catch (...) {
      Forget();
      throw;
    }
    return result;
  }

  void BeginTransaction(TransactionLock /*lock*/) override {
    ReconnectIfLost();
    if (in_transaction_) {
      RaiseProviderError(kEFail, "A transaction is already active on this connection", Where());
    }
    if (dialect_ == Dialect::kSqlite) {
      // The write lock at once, whatever the call intends: over the driver a read cannot be told
      // from the schema lookups of the translation, and a deferred transaction that has read
      // could not take the write lock later without failing.
      RunInternal("BEGIN IMMEDIATE");
    } else {
      SetAutocommit(false);
    }
    in_transaction_ = true;
  }

  void CommitTransaction() override {
    RequireTransaction();
    if (std::exchange(abandoned_, false)) {
      in_transaction_ = false;
      RaiseProviderError(
          kEFail, std::string(sqlite::kTransactionRolledBack) + ": nothing of it was committed",
          Where());
    }
    if (lost_) {
      in_transaction_ = false;
      RaiseProviderError(kEFail,
                         "The connection was lost during the transaction, which the server has "
                         "rolled back",
                         Where());
    }
    EndTransaction(/*commit=*/true);
  }

  void RollbackTransaction() override {
    RequireTransaction();
    // A lost connection took its transaction with it, as a failed batch may have.
    if (lost_ || std::exchange(abandoned_, false)) {
      in_transaction_ = false;
      return;
    }
    tables_.clear();
    identity_tables_.clear();
    ForgetProbeIndexes();
    EndTransaction(/*commit=*/false);
  }

  std::u16string Describe() const override { return target_.description; }

 private:
  // After a failed batch: what it may have changed is read again.
  void Forget() {
    tables_.clear();
    identity_tables_.clear();
    ForgetProbeIndexes();
    if (lost_) Disconnect();
  }

  // A conversion error ends the batch and its transaction: the work of the transaction is undone
  // at once, and the caller's end of it only learns so.
  void AbandonTransaction() {
    if (!in_transaction_ || abandoned_) return;
    try {
      RunInternal("ROLLBACK");
    } catch (...) {
      return;  // the batch's own failure is what the caller sees
    }
    abandoned_ = true;
  }

  using sqlite::StatementRunner::Execute;  // the statements of a translated batch

  CallContext Where(std::u16string_view statement = {}, std::string_view engine_text = {}) {
    return {target_.description, statement, engine_text, &lost_, dbc_.Get()};
  }

  // ---- the session ----
  void Connect() {
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
    text_fetch_ =
        DriverReadsBoundColumnsAgain(dbc_.Get()) ? TextFetch::kBound : TextFetch::kPerValue;
    lost_ = false;
    in_transaction_ = false;
  }

  void ConnectWith(std::u16string connection_string) {
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
  [[noreturn]] void RaiseConnectError() {
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
      hint = fmt::format("the server did not answer within {} seconds; ",
                         target_.login_timeout_seconds);
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
  std::optional<std::string> MissingSqliteDatabase(const std::vector<Diagnostic>& records) const {
    const bool sqlite = std::any_of(records.begin(), records.end(), [](const Diagnostic& d) {
      return d.message.find(u"[SQLite]") != std::u16string::npos;
    });
    if (!sqlite) return std::nullopt;
    const std::string database = oleaut::ToUtf8(
        DriverSetting(ParseConnectionString(target_.connection_string), u"Database"));
    std::error_code ignored;
    if (database.empty() || std::filesystem::exists(database, ignored)) return std::nullopt;
    return database;
  }

  Dialect DialectOfDbms() {
    std::u16string name(128, u'\0');
    SQLSMALLINT length = 0;
    TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLGetInfoW, dbc_.Get(), SQL_DBMS_NAME,
                  Wide(name), static_cast<SQLSMALLINT>(name.size() * 2), &length);
    name.resize(std::min<std::size_t>(static_cast<std::size_t>(length) / 2, name.size()));
    return oleaut::UCase(name).find(u"SQLITE") != std::u16string::npos ? Dialect::kSqlite
                                                                       : Dialect::kPassThrough;
  }

  static std::u16string WithRuntimeExtension(const std::u16string& connection_string) {
    ConnectionSettings settings = ParseConnectionString(connection_string);
    const std::u16string extension = RuntimeExtensionPath();
    std::error_code ignored;
    if (!std::filesystem::exists(oleaut::ToUtf8(extension), ignored)) {
      RaiseProviderError(kEFail,
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

  void Disconnect() noexcept {
    dbc_.Reset();
    tables_.clear();
    identity_tables_.clear();
    ForgetProbeIndexes();
  }

  void ReconnectIfLost() {
    if (!lost_ && dbc_) return;
    // The work before the loss is gone: later statements of the same transaction must not run
    // on a new session, as if it were still there, and commit without it.
    if (in_transaction_) {
      RaiseProviderError(kEFail,
                         "The connection was lost during the transaction, which the server has "
                         "rolled back: end the transaction before running more statements",
                         Where());
    }
    Disconnect();
    env_.Reset();
    Connect();
  }

  void RequireTransaction() {
    if (!in_transaction_) {
      RaiseProviderError(kEFail, "No transaction is active on this connection", Where());
    }
  }

  void SetAutocommit(bool on) {
    TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLSetConnectAttrW, dbc_.Get(),
                  SQL_ATTR_AUTOCOMMIT,
                  reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
  }

  void EndTransaction(bool commit) {
    in_transaction_ = false;
    if (dialect_ == Dialect::kSqlite) {
      RunInternal(commit ? "COMMIT" : "ROLLBACK");
      return;
    }
    try {
      TAV_ODBC_CALL(SQL_HANDLE_DBC, dbc_.Get(), Where(), SQLEndTran, SQL_HANDLE_DBC, dbc_.Get(),
                    static_cast<SQLSMALLINT>(commit ? SQL_COMMIT : SQL_ROLLBACK));
    } catch (...) {
      // Back to committing each statement even so: a session left in manual mode would hold
      // every later statement in a transaction that nothing ends, and lose them all on close.
      if (!lost_) {
        try {
          SetAutocommit(true);
        } catch (...) {  // NOLINT(bugprone-empty-catch): the failed end is what the caller sees
        }
      }
      throw;
    }
    SetAutocommit(true);
  }

  // ---- statements ----

  // Runs `text` with `values` bound to its markers in order; the statement is left on its first
  // result.
  Handle Run(std::u16string text, const std::vector<const ParameterValue*>& values,
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

  void RunOptional(const std::string& sql) override {
    try {
      RunInternal(sql.c_str());
    } catch (...) {  // NOLINT(bugprone-empty-catch): an index that cannot be made is not needed
      if (lost_) throw;
    }
  }

  // Statements of the provider's own (pragmas, transactions), not of a batch.
  void RunInternal(const char* sql) override {
    Run(oleaut::FromUtf8(sql), {}, Where({}, sql),
        dialect_ == Dialect::kSqlite ? ValueStyle::kSqlite : ValueStyle::kSqlServer);
  }

  // The rows of a statement of the provider's own, every value as text.
  std::vector<std::vector<std::optional<std::u16string>>> QueryInternal(const std::string& sql) {
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

  void RunPassThrough(std::u16string_view batch, std::span<const ParameterValue> parameters) {
    std::vector<const ParameterValue*> values;
    for (const ParameterValue& p : parameters)
      values.push_back(&p);
    NoteRun(oleaut::ToUtf8(batch));
    const CallContext where = Where(batch);
    Handle stmt = Run(std::u16string(batch), values, where, ValueStyle::kSqlServer);
    for (;;) {
      SQLSMALLINT count = 0;
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLNumResultCols, stmt.Get(), &count);
      if (count > 0) {
        // Only the first row set of a batch is handed back; later ones still run.
        if (!result_->rows) {
          result_->rows.emplace();
          std::vector<sqlite::ColumnType> types;
          for (DriverColumn& column : DescribeColumns(stmt.Get(), text_api_, where)) {
            types.push_back(SqlServerColumnType(column));
            types.back().info.name = std::move(column.name);
          }
          ReadRows(stmt.Get(), std::move(types), ValueStyle::kSqlServer, TextFetch::kPerValue,
                   *result_->rows, where);
        }
      } else {
        SQLLEN changed = -1;
        TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLRowCount, stmt.Get(), &changed);
        if (changed >= 0) result_->records_affected = changed;
      }
      if (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLMoreResults, stmt.Get()) ==
          SQL_NO_DATA) {
        break;
      }
    }
  }

  // ---- the SQLite driver: translated batches ----
  void RunTranslated(std::u16string_view batch, std::span<const ParameterValue> parameters) {
    ForgetTablesIfSchemaChanged();
    translation_ = tsql::Translate(batch, this);
    literal_values_.clear();
    const tsql::Program& program = *translation_.program;
    if (parameters.size() != static_cast<std::size_t>(program.marker_count)) {
      RaiseProviderError(kParameterCount,
                         fmt::format("The batch has {} parameter marker(s) but {} value(s) were "
                                     "given",
                                     program.marker_count, parameters.size()),
                         Where(batch));
    }
    // The literals the translation made markers go to the driver as parameters of their own.
    for (const tsql::LiteralValue& literal : translation_.binding->literals) {
      ParameterValue& value = literal_values_.emplace_back();
      if (const auto* integer = std::get_if<std::int64_t>(&literal)) {
        value.type = adBigInt;
        value.value = oleaut::Decimal::FromInt64(*integer);
      } else if (const auto* real = std::get_if<double>(&literal)) {
        value.type = adDouble;
        value.value = *real;
      } else {
        const std::u16string& text = std::get<std::u16string>(literal);
        value.type = adVarWChar;
        value.size = static_cast<std::int32_t>(text.size());
        value.value = text;
      }
    }
    tsql::Run(program, *this);
    RaiseDeferredFailure();
  }

  void ForgetTablesIfSchemaChanged() {
    if (in_transaction_) return;
    const auto rows = QueryInternal("PRAGMA main.schema_version");
    if (rows.empty() || rows[0].empty() || !rows[0][0]) return;
    const std::int64_t version = std::stoll(oleaut::ToUtf8(*rows[0][0]));
    if (version != schema_version_) tables_.clear();
    schema_version_ = version;
  }

  // ---- tsql::Schema ----
  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override {
    const std::u16string key = tsql::LowerAscii(name);
    if (auto found = tables_.find(key); found != tables_.end()) return found->second;
    const bool temp = !name.empty() && name[0] == u'#';
    const auto rows =
        QueryInternal(std::string(temp ? "PRAGMA temp.table_info(" : "PRAGMA main.table_info(") +
                      tsql::QuoteName(oleaut::ToUtf8(name)) + ")");
    std::shared_ptr<const tsql::TableColumns> found;
    // No such table, or one of SQLite's own that the database does not declare.
    if (!rows.empty() && (!tsql::IsEngineTableName(name) || Declares(temp, name))) {
      auto columns = std::make_shared<tsql::TableColumns>();
      for (const auto& row : rows) {
        std::optional<tsql::SqlType> type;
        if (row.size() > 2 && row[2]) type = tsql::ParseDeclaredType(oleaut::ToUtf8(*row[2]));
        // An identity is the AUTOINCREMENT key, always declared INTEGER.
        const bool integer_key = row.size() > 5 && row[2] && row[5] && *row[5] == u"1" &&
                                 oleaut::EqualsNoCase(*row[2], u"INTEGER");
        columns->push_back({row.size() > 1 && row[1] ? *row[1] : std::u16string(),
                            type ? *type : tsql::SqlType::Unknown(),
                            integer_key && HasIdentity(oleaut::ToUtf8(name), temp)});
      }
      found = std::move(columns);
    }
    tables_.emplace(key, found);
    return found;
  }

  // Whether the database declares a table or view of a name that SQLite also answers to with a
  // table of its own (which the declared one hides).
  bool Declares(bool temp, std::u16string_view name) {
    if (tsql::IsEngineReservedName(name)) return false;
    return !QueryInternal(
                std::string(temp ? "PRAGMA temp.table_list(" : "PRAGMA main.table_list(") +
                tsql::QuoteName(oleaut::ToUtf8(name)) + ")")
                .empty();
  }

  // ---- tsql::Executor ----
  CallContext WhereIn(const tsql::SqlStatement& statement, std::string_view sql) {
    return Where(translation_.SourceOf(batch_, statement), sql);
  }

  // Runs a statement of the translation with the batch's values bound to its markers.
  Handle RunStatement(const tsql::SqlStatement& statement, const std::string& sql) {
    if (as_run_) NoteRun(tsql::WithLiteralsShown(sql, statement, *translation_.binding));
    std::vector<int> order;
    const std::string plain = PlainMarkers(sql, &order);
    std::vector<const ParameterValue*> values;
    for (int number : order) {
      const tsql::BoundMarker marker = statement.markers.at(static_cast<std::size_t>(number - 1));
      const auto index = static_cast<std::size_t>(marker.index);
      switch (marker.from) {
        case tsql::BoundMarker::From::kLiteral:
          values.push_back(&literal_values_[index]);
          break;
        case tsql::BoundMarker::From::kParameter:
          values.push_back(&parameters_[index]);
          break;
        case tsql::BoundMarker::From::kRowCount:
          row_count_value_.type = adBigInt;
          row_count_value_.value = oleaut::Decimal::FromInt64(row_count_);
          values.push_back(&row_count_value_);
          break;
      }
    }
    return Run(oleaut::FromUtf8(plain), values, WhereIn(statement, sql), ValueStyle::kSqlite);
  }

  bool TestCondition(const tsql::SqlStatement& condition) override {
    Handle stmt = RunStatement(condition, condition.sql);
    const CallContext where = WhereIn(condition, condition.sql);
    if (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLFetch, stmt.Get()) == SQL_NO_DATA) {
      return false;
    }
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLGetData, stmt.Get(), 1, SQL_C_SBIGINT,
                  &value, 0, &indicator);
    return indicator != SQL_NULL_DATA && value != 0;
  }

  std::int64_t RunCommand(const tsql::SqlStatement& statement) override {
    Handle stmt = RunStatement(statement, statement.sql);
    if (statement.kind == tsql::StatementKind::kDdl) {
      identity_tables_.clear();
      tables_.clear();
      return 0;
    }
    SQLLEN changes = 0;
    TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), WhereIn(statement, statement.sql), SQLRowCount,
                  stmt.Get(), &changes);
    result_->records_affected = changes;
    if (statement.kind == tsql::StatementKind::kInsert && changes > 0) {
      // @@IDENTITY: the key just made in a table with an identity column, else NULL. The
      // runtime in the driver's connection keeps it; only SQL reaches it there.
      RunInternal(HasIdentity(statement.target, statement.target_temp)
                      ? "SELECT tsql_set_identity(last_insert_rowid())"
                      : "SELECT tsql_set_identity(NULL)");
    }
    return changes;
  }

  std::int64_t RunToEnd(const tsql::SqlStatement& statement) override {
    Handle stmt = RunStatement(statement, statement.sql);
    const CallContext where = WhereIn(statement, statement.sql);
    std::int64_t rows = 0;
    while (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLFetch, stmt.Get()) != SQL_NO_DATA)
      ++rows;
    return rows;
  }

  std::int64_t RunQuery(const tsql::SqlStatement& statement) override {
    // Only the first row set of a batch is handed back; later ones still run.
    if (result_->rows) return RunToEnd(statement);
    Handle stmt = RunStatement(statement, statement.sql);
    const CallContext where = WhereIn(statement, statement.sql);
    const std::vector<DriverColumn> columns = DescribeColumns(stmt.Get(), text_api_, where);
    const std::vector<const tsql::ResultHint*> hints =
        sqlite::MatchHints(statement.columns, static_cast<int>(columns.size()));
    std::vector<sqlite::ColumnType> types;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      sqlite::ColumnType type = TypeOf(columns[i], hints[i]);
      type.info.name = hints[i] && hints[i]->named ? hints[i]->name : columns[i].name;
      types.push_back(std::move(type));
    }
    result_->rows.emplace();
    ReadRows(stmt.Get(), std::move(types), ValueStyle::kSqlite, text_fetch_, *result_->rows, where);
    return static_cast<std::int64_t>(result_->rows->RowCount());
  }

  // The translator's type comes first: it knows the columns and types a UNION as a whole. Then
  // the declared type of the table column the driver names (its own description drops the
  // scale of a decimal), then the driver's guess from the values.
  sqlite::ColumnType TypeOf(const DriverColumn& column, const tsql::ResultHint* hint) {
    if (hint && !hint->type.empty()) {
      sqlite::ColumnType type = sqlite::MapDeclaredType(hint->type);
      if (type.kind != sqlite::ValueKind::kNatural) return type;
    }
    if (std::optional<tsql::SqlType> declared = DeclaredType(column)) {
      sqlite::ColumnType type = sqlite::MapDeclaredType(declared->Declared());
      if (type.kind != sqlite::ValueKind::kNatural) return type;
    }
    const std::u16string guess = oleaut::UCase(oleaut::FromUtf8(column.type_name));
    if (guess == u"INTEGER") return sqlite::NaturalType(SQLITE_INTEGER);
    if (guess == u"DOUBLE") return sqlite::NaturalType(SQLITE_FLOAT);
    if (guess == u"BLOB") return sqlite::NaturalType(SQLITE_BLOB);
    return sqlite::NaturalType(SQLITE_TEXT);
  }

  std::optional<tsql::SqlType> DeclaredType(const DriverColumn& column) {
    if (!column.table.empty()) {
      if (const auto table = Columns(column.table)) {
        for (const tsql::TableColumn& c : *table) {
          if (oleaut::EqualsNoCase(c.name, column.name) && c.type.IsKnown()) {
            return c.type;
          }
        }
      }
    }
    if (column.type_name.empty()) return std::nullopt;
    return tsql::ParseDeclaredType(column.type_name);
  }

  void RunGenerated(const tsql::SqlStatement& statement, const std::string& sql) {
    NoteRun(sql);
    Run(oleaut::FromUtf8(sql), {}, WhereIn(statement, sql), ValueStyle::kSqlite);
  }

  sqlite::RaiseFunction RaiseFor(const tsql::SqlStatement& statement) override {
    return [this, &statement](std::int32_t hresult, const std::string& message) {
      RaiseProviderError(hresult, message, WhereIn(statement, {}));
    };
  }

  std::int64_t RunSelectInto(const tsql::SqlStatement& statement) override {
    std::vector<sqlite::DescribedColumn> described;
    {
      std::vector<int> order;
      std::u16string plain = oleaut::FromUtf8(PlainMarkers(statement.sql, &order));
      const CallContext where = WhereIn(statement, statement.sql);
      Handle stmt = Handle::Allocate(SQL_HANDLE_STMT, dbc_.Get(), where);
      if (text_api_ == TextApi::kWide) {
        TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLPrepareW, stmt.Get(), Wide(plain),
                      SQL_NTS);
      } else {
        std::string utf8 = oleaut::ToUtf8(plain);
        TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLPrepare, stmt.Get(),
                      reinterpret_cast<SQLCHAR*>(utf8.data()), SQL_NTS);
      }
      for (const DriverColumn& column : DescribeColumns(stmt.Get(), text_api_, where)) {
        described.push_back({column.name, DeclaredType(column)});
      }
    }
    const sqlite::SelectIntoPlan plan = sqlite::SelectIntoStatements(
        statement, described, NewIdentitySeed(statement), RaiseFor(statement));
    tables_.clear();
    for (const std::string& sql : plan.before)
      RunGenerated(statement, sql);
    SQLLEN changes = 0;
    {
      Handle stmt = RunStatement(statement, plan.insert);
      TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), WhereIn(statement, plan.insert), SQLRowCount,
                    stmt.Get(), &changes);
      result_->records_affected = changes;
    }
    for (const std::string& sql : plan.after)
      RunGenerated(statement, sql);
    identity_tables_.clear();
    return changes;
  }

  void RunAlterColumn(const tsql::SqlStatement& statement) override {
    std::vector<sqlite::TableInfoColumn> columns;
    for (const auto& row : QueryInternal(sqlite::TableInfoQuery(statement))) {
      const auto text = [&](std::size_t i) {
        return i < row.size() && row[i] ? oleaut::ToUtf8(*row[i]) : std::string();
      };
      columns.push_back(
          {text(1), text(2), text(3) == "1", text(4), text(5).empty() ? 0 : std::stoi(text(5))});
    }
    const std::vector<std::string> statements = sqlite::AlterColumnStatements(
        statement, columns, TableDefinition(statement.target, true), RaiseFor(statement));
    tables_.clear();
    RunInternal("SAVEPOINT tsql_alter_column");
    try {
      for (const std::string& sql : statements)
        RunGenerated(statement, sql);
      RunInternal("RELEASE tsql_alter_column");
    } catch (...) {
      if (!lost_) {
        try {
          RunInternal("ROLLBACK TO tsql_alter_column");
          RunInternal(sqlite::kAlterColumnRecovery);
          RunInternal("RELEASE tsql_alter_column");
        } catch (...) {  // NOLINT(bugprone-empty-catch): the first failure is what the caller sees
        }
      }
      throw;
    }
    identity_tables_.clear();
  }

  bool HasIdentity(const std::string& table, bool temp) {
    const std::string key =
        (temp ? "t:" : "m:") + oleaut::ToUtf8(tsql::LowerAscii(oleaut::FromUtf8(table)));
    if (auto found = identity_tables_.find(key); found != identity_tables_.end()) {
      return found->second;
    }
    const bool identity = sqlite::DeclaresIdentity(TableDefinition(table, temp));
    identity_tables_.emplace(key, identity);
    return identity;
  }

  // The CREATE TABLE text the SQLite database keeps for `table`; empty when there is none.
  std::string TableDefinition(const std::string& table, bool temp) override {
    std::string sql = sqlite::TableDefinitionQuery(temp);
    sql.replace(sql.find("?1"), 2,
                "'" + oleaut::ToUtf8(oleaut::Replace(oleaut::FromUtf8(table), u"'", u"''")) + "'");
    const auto rows = QueryInternal(sql);
    return !rows.empty() && !rows[0].empty() && rows[0][0] ? oleaut::ToUtf8(*rows[0][0])
                                                           : std::string();
  }

  OdbcTarget target_;
  Handle env_;
  Handle dbc_;  // after env_: freed first
  Dialect dialect_ = Dialect::kPassThrough;
  TextApi text_api_ = TextApi::kWide;
  TextFetch text_fetch_ = TextFetch::kPerValue;
  bool lost_ = false;
  bool in_transaction_ = false;
  bool abandoned_ = false;          // the caller's transaction was rolled back by a failed batch
  ParameterValue row_count_value_;  // @@ROWCOUNT bound to a statement
  std::unordered_map<std::string, bool> identity_tables_;
  std::unordered_map<std::u16string, std::shared_ptr<const tsql::TableColumns>> tables_;
  std::int64_t schema_version_ = -1;
  // The literals the translation of the batch being run made markers, as parameters.
  std::vector<ParameterValue> literal_values_;
};

}  // namespace

std::unique_ptr<Provider> OpenOdbcProvider(const ConnectionSettings& settings) {
  return std::make_unique<OdbcProvider>(MapConnectionString(settings));
}

}  // namespace ado::odbc
