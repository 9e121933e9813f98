#include "platform/ado/odbc/driver_backend.h"

#include <sqlite3.h>

#include "platform/ado/sqlite/column_types.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/engine_names.h"
#include "platform/tsql/shape.h"
#include "platform/tsql/sql_type.h"

namespace ado::odbc {
namespace {

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

std::optional<tsql::SqlType> DeclaredType(const DriverColumn& column, tsql::Schema& schema) {
  if (!column.table.empty()) {
    if (const auto table = schema.Columns(column.table)) {
      for (const tsql::TableColumn& c : *table) {
        if (oleaut::EqualsNoCase(c.name, column.name) && c.type.IsKnown()) return c.type;
      }
    }
  }
  if (column.type_name.empty()) return std::nullopt;
  return tsql::ParseDeclaredType(column.type_name);
}

// The translator's type comes first: it knows the columns and types a UNION as a whole. Then
// the declared type of the table column the driver names (its own description drops the scale
// of a decimal), then the driver's guess from the values.
sqlite::ColumnType TypeOf(const DriverColumn& column, const tsql::ResultHint* hint,
                          tsql::Schema& schema) {
  if (hint && !hint->type.empty()) {
    sqlite::ColumnType type = sqlite::MapDeclaredType(hint->type);
    if (type.kind != sqlite::ValueKind::kNatural) return type;
  }
  if (std::optional<tsql::SqlType> declared = DeclaredType(column, schema)) {
    sqlite::ColumnType type = sqlite::MapDeclaredType(declared->Declared());
    if (type.kind != sqlite::ValueKind::kNatural) return type;
  }
  const std::u16string guess = oleaut::UCase(oleaut::FromUtf8(column.type_name));
  if (guess == u"INTEGER") return sqlite::NaturalType(SQLITE_INTEGER);
  if (guess == u"DOUBLE") return sqlite::NaturalType(SQLITE_FLOAT);
  if (guess == u"BLOB") return sqlite::NaturalType(SQLITE_BLOB);
  return sqlite::NaturalType(SQLITE_TEXT);
}

// A literal of the batch, which the translation made a marker, as a parameter of its own.
ParameterValue LiteralParameter(const tsql::LiteralValue& literal) {
  ParameterValue value;
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
  return value;
}

// The first value of the first row of a statement of the provider's own, when there is one.
std::optional<std::u16string> FirstValue(
    const std::vector<std::vector<std::optional<std::u16string>>>& rows) {
  if (rows.empty() || rows[0].empty()) return std::nullopt;
  return rows[0][0];
}

}  // namespace

Handle DriverBackend::Run(const sqlite::BoundStatement& bound) {
  std::vector<int> order;
  const std::string plain = PlainMarkers(bound.sql, &order);
  // Each literal and @@ROWCOUNT becomes a value of its own; the batch's parameters are bound as
  // they are. Reserved first: the pointers to them must stay put.
  bound_values_.clear();
  bound_values_.reserve(order.size());
  std::vector<const ParameterValue*> values;
  values.reserve(order.size());
  for (int number : order) {
    const tsql::BoundMarker marker =
        bound.statement.markers.at(static_cast<std::size_t>(number - 1));
    const auto index = static_cast<std::size_t>(marker.index);
    switch (marker.from) {
      case tsql::BoundMarker::From::kLiteral:
        values.push_back(
            &bound_values_.emplace_back(LiteralParameter(bound.binding.literals[index])));
        break;
      case tsql::BoundMarker::From::kParameter:
        values.push_back(&bound.parameters[index]);
        break;
      case tsql::BoundMarker::From::kSession:
        values.push_back(&bound.session[index]);
        break;
      case tsql::BoundMarker::From::kRowCount: {
        ParameterValue& row_count = bound_values_.emplace_back();
        row_count.type = adBigInt;
        row_count.value = oleaut::Decimal::FromInt64(bound.row_count);
        values.push_back(&row_count);
        break;
      }
    }
  }
  return connection_.Run(oleaut::FromUtf8(plain), values, Where(bound), ValueStyle::kSqlite);
}

bool DriverBackend::TestCondition(const sqlite::BoundStatement& condition) {
  Handle stmt = Run(condition);
  const CallContext where = Where(condition);
  if (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLFetch, stmt.Get()) == SQL_NO_DATA) {
    return false;
  }
  SQLBIGINT value = 0;
  SQLLEN indicator = 0;
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLGetData, stmt.Get(), 1, SQL_C_SBIGINT,
                &value, 0, &indicator);
  return indicator != SQL_NULL_DATA && value != 0;
}

std::int64_t DriverBackend::RunCommand(const sqlite::BoundStatement& statement) {
  Handle stmt = Run(statement);
  if (statement.statement.kind == tsql::StatementKind::kDdl) return 0;
  // The driver takes a change that opens with WITH for a query, and counts none of its rows.
  if (statement.sql.starts_with("WITH ")) {
    const std::optional<std::u16string> counted =
        FirstValue(connection_.QueryInternal("SELECT changes()"));
    return counted ? std::stoll(oleaut::ToUtf8(*counted)) : 0;
  }
  SQLLEN changes = 0;
  TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), Where(statement), SQLRowCount, stmt.Get(), &changes);
  return changes;
}

std::int64_t DriverBackend::RunToEnd(const sqlite::BoundStatement& statement) {
  Handle stmt = Run(statement);
  const CallContext where = Where(statement);
  std::int64_t rows = 0;
  while (TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLFetch, stmt.Get()) != SQL_NO_DATA)
    ++rows;
  return rows;
}

void DriverBackend::ReadRows(const sqlite::BoundStatement& query, tsql::Schema& schema,
                             RowSet& rows) {
  Handle stmt = Run(query);
  const CallContext where = Where(query);
  const std::vector<DriverColumn> columns =
      odbc::DescribeColumns(stmt.Get(), connection_.Api(), where);
  const std::vector<const tsql::ResultHint*> hints =
      sqlite::MatchHints(query.statement.columns, static_cast<int>(columns.size()));
  std::vector<sqlite::ColumnType> types;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    sqlite::ColumnType type = TypeOf(columns[i], hints[i], schema);
    type.info.name = hints[i] && hints[i]->named ? hints[i]->name : columns[i].name;
    types.push_back(std::move(type));
  }
  odbc::ReadRows(stmt.Get(), std::move(types), ValueStyle::kSqlite, connection_.Fetch(), rows,
                 where);
}

std::vector<sqlite::DescribedColumn> DriverBackend::DescribeColumns(
    const sqlite::BoundStatement& query, tsql::Schema& schema) {
  std::vector<int> order;
  std::u16string plain = oleaut::FromUtf8(PlainMarkers(query.sql, &order));
  const CallContext where = Where(query);
  Handle stmt = Handle::Allocate(SQL_HANDLE_STMT, connection_.Dbc(), where);
  if (connection_.Api() == TextApi::kWide) {
    TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLPrepareW, stmt.Get(), Wide(plain),
                  SQL_NTS);
  } else {
    std::string utf8 = oleaut::ToUtf8(plain);
    TAV_ODBC_CALL(SQL_HANDLE_STMT, stmt.Get(), where, SQLPrepare, stmt.Get(),
                  reinterpret_cast<SQLCHAR*>(utf8.data()), SQL_NTS);
  }
  std::vector<sqlite::DescribedColumn> described;
  for (const DriverColumn& column : odbc::DescribeColumns(stmt.Get(), connection_.Api(), where)) {
    described.push_back({column.name, DeclaredType(column, schema)});
  }
  return described;
}

void DriverBackend::RunGenerated(std::u16string_view source, const std::string& sql) {
  connection_.Run(oleaut::FromUtf8(sql), {}, connection_.Where(source, sql), ValueStyle::kSqlite);
}

void DriverBackend::KeepIdentity(bool table_has_identity) {
  // The runtime in the driver's connection keeps it; only SQL reaches it there.
  connection_.RunInternal(table_has_identity ? "SELECT tsql_set_identity(last_insert_rowid())"
                                             : "SELECT tsql_set_identity(NULL)");
}

bool DriverBackend::RunQuietly(const char* sql) noexcept {
  if (connection_.Lost()) return false;
  try {
    connection_.RunInternal(sql);
    return true;
  } catch (...) {
    return false;
  }
}

void DriverBackend::RunOptional(const std::string& sql) {
  try {
    connection_.RunInternal(sql.c_str());
  } catch (...) {  // NOLINT(bugprone-empty-catch): an index that cannot be made is not needed
    if (connection_.Lost()) throw;
  }
}

std::shared_ptr<const tsql::TableColumns> DriverBackend::ReadColumns(std::u16string_view name,
                                                                     bool temp) {
  const auto rows = connection_.QueryInternal(
      std::string(temp ? "PRAGMA temp.table_info(" : "PRAGMA main.table_info(") +
      tsql::QuoteName(oleaut::ToUtf8(name)) + ")");
  // No such table, or one of SQLite's own that the database does not declare.
  if (rows.empty() || (tsql::IsEngineTableName(name) && !Declares(temp, name))) return nullptr;
  auto columns = std::make_shared<tsql::TableColumns>();
  bool identity_known = false;
  bool has_identity = false;
  for (const auto& row : rows) {
    std::optional<tsql::SqlType> type;
    if (row.size() > 2 && row[2]) type = tsql::ParseDeclaredType(oleaut::ToUtf8(*row[2]));
    // An identity is the AUTOINCREMENT key, always declared INTEGER.
    const bool integer_key = row.size() > 5 && row[2] && row[5] && *row[5] == u"1" &&
                             oleaut::EqualsNoCase(*row[2], u"INTEGER");
    if (integer_key && !identity_known) {
      has_identity = sqlite::DeclaresIdentity(TableDefinition(oleaut::ToUtf8(name), temp));
      identity_known = true;
    }
    columns->push_back({row.size() > 1 && row[1] ? *row[1] : std::u16string(),
                        type ? *type : tsql::SqlType::Unknown(), integer_key && has_identity});
  }
  return columns;
}

// Whether the database declares a table or view of a name that SQLite also answers to with a
// table of its own (which the declared one hides).
bool DriverBackend::Declares(bool temp, std::u16string_view name) {
  if (tsql::IsEngineReservedName(name)) return false;
  return !connection_
              .QueryInternal(
                  std::string(temp ? "PRAGMA temp.table_list(" : "PRAGMA main.table_list(") +
                  tsql::QuoteName(oleaut::ToUtf8(name)) + ")")
              .empty();
}

std::vector<std::string> DriverBackend::ReadTexts(const std::string& sql) {
  std::vector<std::string> texts;
  for (const auto& row : connection_.QueryInternal(sql)) {
    texts.push_back(!row.empty() && row[0] ? oleaut::ToUtf8(*row[0]) : std::string());
  }
  return texts;
}

// The write lock at once, whatever the caller intends: over the driver a read cannot be told
// from the schema lookups of the translation, and a deferred transaction that has read could
// not take the write lock later without failing.
void DriverBackend::BeginTransaction() {
  connection_.RunInternal("BEGIN IMMEDIATE");
  connection_.SetInTransaction(true);
}

// A COMMIT that fails (another connection reading) leaves the transaction open, as SQLite has
// it; a failed ROLLBACK leaves nothing to end.
void DriverBackend::EndTransaction(bool commit) {
  try {
    connection_.RunInternal(commit ? "COMMIT" : "ROLLBACK");
  } catch (...) {
    if (!commit) connection_.SetInTransaction(false);
    throw;
  }
  connection_.SetInTransaction(false);
}

std::string DriverBackend::TableDefinition(const std::string& table, bool temp) {
  return Definition(sqlite::TableDefinitionQuery(temp), table);
}

std::string DriverBackend::ViewDefinition(const std::string& view) {
  return Definition(sqlite::ViewDefinitionQuery(), view);
}

// The text of the first row of a definition query, `name` written in for its ?1.
std::string DriverBackend::Definition(std::string sql, const std::string& name) {
  sql.replace(sql.find("?1"), 2, sqlite::QuoteText(name));
  const std::optional<std::u16string> text = FirstValue(connection_.QueryInternal(sql));
  return text ? oleaut::ToUtf8(*text) : std::string();
}

std::vector<sqlite::TableInfoColumn> DriverBackend::TableInfo(const std::string& sql,
                                                              std::u16string_view /*source*/) {
  std::vector<sqlite::TableInfoColumn> columns;
  for (const auto& row : connection_.QueryInternal(sql)) {
    const auto text = [&](std::size_t i) {
      return i < row.size() && row[i] ? oleaut::ToUtf8(*row[i]) : std::string();
    };
    columns.push_back(
        {text(1), text(2), text(3) == "1", text(4), text(5).empty() ? 0 : std::stoi(text(5))});
  }
  return columns;
}

std::optional<std::int64_t> DriverBackend::SchemaVersion() {
  // Asked only outside a transaction, where the question is a transaction of its own.
  if (connection_.InTransaction()) return std::nullopt;
  const std::optional<std::u16string> version =
      FirstValue(connection_.QueryInternal("PRAGMA main.schema_version"));
  if (!version) return std::nullopt;
  return std::stoll(oleaut::ToUtf8(*version));
}

void DriverBackend::Raise(std::int32_t hresult, const std::string& message,
                          std::u16string_view source, std::string_view sql) {
  RaiseProviderError(hresult, message, connection_.Where(source, sql));
}

}  // namespace ado::odbc
