// SQL Server's table-valued functions as SQLite's: STRING_SPLIT (tsql_string_split, and
// tsql_string_split_ordinal with its ordinal column) and OPENJSON without a schema
// (tsql_openjson). Each is an eponymous virtual table whose hidden columns take the arguments,
// so that it may read the columns of the tables before it in a FROM clause, as CROSS APPLY and
// OUTER APPLY need.
#include <sqlite3.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/tsql/runtime/detail.h"

namespace tsql::detail {
namespace {

// One row of a function's result: its visible columns, in order.
struct Row {
  std::vector<std::string> texts;  // UTF-8; a NULL where `nulls` says so
  std::vector<bool> nulls;
  std::vector<sqlite3_int64> numbers;  // the integer columns after the texts
};

struct Function {
  const char* schema;
  int visible_texts;
  int visible_numbers;
  int arguments;  // hidden columns after the visible ones
  // Fills `rows` from the arguments; returns an error message, or empty.
  std::string (*produce)(sqlite3* db, sqlite3_value** args, std::vector<Row>& rows);
};

struct Table {
  sqlite3_vtab base{};
  const Function* function = nullptr;
  sqlite3* db = nullptr;
};

struct Cursor {
  sqlite3_vtab_cursor base{};
  std::vector<Row> rows;
  std::size_t at = 0;
};

// STRING_SPLIT(text, separator): the pieces between the separator's occurrences, empty ones
// included; nothing for a NULL text. The separator is one character, as SQL Server requires.
std::string SplitRows(sqlite3*, sqlite3_value** args, std::vector<Row>& rows) {
  const auto* separator =
      args[1] ? reinterpret_cast<const char*>(sqlite3_value_text(args[1])) : nullptr;
  const int separator_bytes = args[1] ? sqlite3_value_bytes(args[1]) : 0;
  int characters = 0;  // UTF-8: every byte but a continuation byte starts a character
  for (int i = 0; separator && i < separator_bytes; ++i) {
    if ((static_cast<unsigned char>(separator[i]) & 0xC0) != 0x80) ++characters;
  }
  const bool one_character = characters == 1;
  if (!one_character) {
    return "Procedure expects parameter 'separator' of type 'nchar(1)/nvarchar(1)'.";
  }
  if (!args[0] || sqlite3_value_type(args[0]) == SQLITE_NULL) return {};
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
  const std::string input(text ? text : "", static_cast<std::size_t>(sqlite3_value_bytes(args[0])));
  const std::string sep(separator, static_cast<std::size_t>(separator_bytes));
  sqlite3_int64 ordinal = 1;
  std::size_t start = 0;
  for (;;) {
    const std::size_t found = input.find(sep, start);
    Row row;
    row.texts.push_back(
        input.substr(start, found == std::string::npos ? std::string::npos : found - start));
    row.nulls.push_back(false);
    row.numbers.push_back(ordinal++);
    rows.push_back(std::move(row));
    if (found == std::string::npos) break;
    start = found + sep.size();
  }
  return {};
}

// OPENJSON(json [, path]): key, value and type (0 null, 1 string, 2 number, 3 true or false,
// 4 array, 5 object) of each member of the object or element of the array, read through
// SQLite's json_each. A path may start with lax or strict, as SQL Server's do.
std::string OpenJsonRows(sqlite3* db, sqlite3_value** args, std::vector<Row>& rows) {
  if (!args[0] || sqlite3_value_type(args[0]) == SQLITE_NULL) return {};
  std::string path = "$";
  if (args[1] && sqlite3_value_type(args[1]) != SQLITE_NULL) {
    path = reinterpret_cast<const char*>(sqlite3_value_text(args[1]));
    for (const char* mode : {"lax ", "strict "}) {
      if (path.rfind(mode, 0) == 0) path.erase(0, std::strlen(mode));
    }
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT key, value, type FROM json_each(?1, ?2)", -1, &stmt,
                         nullptr) != SQLITE_OK) {
    return sqlite3_errmsg(db);
  }
  sqlite3_bind_value(stmt, 1, args[0]);
  sqlite3_bind_text(stmt, 2, path.c_str(), -1, SQLITE_TRANSIENT);
  int rc = SQLITE_OK;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    Row row;
    for (int column : {0, 1}) {
      const bool null = sqlite3_column_type(stmt, column) == SQLITE_NULL;
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      row.texts.emplace_back(text ? text : "");
      row.nulls.push_back(null);
    }
    const std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
    const sqlite3_int64 code = type == "null"                        ? 0
                               : type == "text"                      ? 1
                               : type == "integer" || type == "real" ? 2
                               : type == "true" || type == "false"   ? 3
                               : type == "array"                     ? 4
                                                                     : 5;
    if (code == 3) row.texts[1] = type;
    row.numbers.push_back(code);
    rows.push_back(std::move(row));
  }
  std::string error;
  if (rc != SQLITE_DONE) {
    error = std::strstr(sqlite3_errmsg(db), "malformed JSON")
                ? "JSON text is not properly formatted."
                : sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  return error;
}

// A piece compares as the text it came from does, under the default collation.
constexpr Function kSplit{"CREATE TABLE x(value TEXT COLLATE TSQL, input HIDDEN, separator HIDDEN)",
                          1, 0, 2, SplitRows};
constexpr Function kSplitOrdinal{
    "CREATE TABLE x(value TEXT COLLATE TSQL, ordinal INTEGER, input HIDDEN, separator HIDDEN)", 1,
    1, 2, SplitRows};
constexpr Function kOpenJson{
    "CREATE TABLE x(key TEXT, value TEXT, type INTEGER, json HIDDEN, path HIDDEN)", 2, 1, 2,
    OpenJsonRows};

int Connect(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) {
  const auto* function = static_cast<const Function*>(aux);
  const int rc = sqlite3_declare_vtab(db, function->schema);
  if (rc != SQLITE_OK) return rc;
  auto* table = new Table;
  table->function = function;
  table->db = db;
  *out = &table->base;
  return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* vtab) {
  delete reinterpret_cast<Table*>(vtab);
  return SQLITE_OK;
}

// Every argument must be given: each hidden column is bound by an equality the planner can use.
int BestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
  const Function& function = *reinterpret_cast<Table*>(vtab)->function;
  const int first_hidden = function.visible_texts + function.visible_numbers;
  int bound = 0;
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& constraint = info->aConstraint[i];
    const int argument = constraint.iColumn - first_hidden;
    if (argument < 0 || constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) continue;
    if (!constraint.usable) return SQLITE_CONSTRAINT;
    info->aConstraintUsage[i].argvIndex = argument + 1;
    info->aConstraintUsage[i].omit = 1;
    bound |= 1 << argument;
  }
  // An argument not given (OPENJSON's path) is NULL.
  info->idxNum = bound;
  info->estimatedCost = 10;
  info->estimatedRows = 10;
  return SQLITE_OK;
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  auto* cursor = new Cursor;
  *out = &cursor->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cursor) {
  delete reinterpret_cast<Cursor*>(cursor);
  return SQLITE_OK;
}

int Filter(sqlite3_vtab_cursor* base, int bound, const char*, int argc, sqlite3_value** argv) {
  auto* cursor = reinterpret_cast<Cursor*>(base);
  auto* table = reinterpret_cast<Table*>(base->pVtab);
  const Function& function = *table->function;
  // The arguments in their order; nullptr for one not given (OPENJSON's path).
  std::vector<sqlite3_value*> args(static_cast<std::size_t>(function.arguments), nullptr);
  int next = 0;
  for (int a = 0; a < function.arguments; ++a) {
    if ((bound & (1 << a)) && next < argc) args[static_cast<std::size_t>(a)] = argv[next++];
  }
  cursor->rows.clear();
  cursor->at = 0;
  const std::string error = function.produce(table->db, args.data(), cursor->rows);
  if (!error.empty()) {
    sqlite3_free(base->pVtab->zErrMsg);
    base->pVtab->zErrMsg = sqlite3_mprintf("%s", error.c_str());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int Next(sqlite3_vtab_cursor* base) {
  ++reinterpret_cast<Cursor*>(base)->at;
  return SQLITE_OK;
}

int Eof(sqlite3_vtab_cursor* base) {
  const auto* cursor = reinterpret_cast<Cursor*>(base);
  return cursor->at >= cursor->rows.size() ? 1 : 0;
}

int Column(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
  const auto* cursor = reinterpret_cast<Cursor*>(base);
  const Function& function = *reinterpret_cast<Table*>(base->pVtab)->function;
  const Row& row = cursor->rows[cursor->at];
  if (column < function.visible_texts) {
    const auto c = static_cast<std::size_t>(column);
    if (row.nulls[c]) {
      sqlite3_result_null(context);
    } else {
      sqlite3_result_text(context, row.texts[c].data(), static_cast<int>(row.texts[c].size()),
                          SQLITE_TRANSIENT);
    }
    return SQLITE_OK;
  }
  const int number = column - function.visible_texts;
  if (number < function.visible_numbers) {
    sqlite3_result_int64(context, row.numbers[static_cast<std::size_t>(number)]);
  } else {
    sqlite3_result_null(context);  // a hidden argument column
  }
  return SQLITE_OK;
}

int RowId(sqlite3_vtab_cursor* base, sqlite3_int64* id) {
  *id = static_cast<sqlite3_int64>(reinterpret_cast<Cursor*>(base)->at) + 1;
  return SQLITE_OK;
}

constexpr sqlite3_module kModule = {
    0,       nullptr, Connect, BestIndex, Disconnect, nullptr, Open,    Close,
    Filter,  Next,    Eof,     Column,    RowId,      nullptr, nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr,   nullptr,    nullptr, nullptr, nullptr,
};

}  // namespace

int InstallTableFunctions(sqlite3* db) {
  const std::pair<const char*, const Function*> functions[] = {
      {"tsql_string_split", &kSplit},
      {"tsql_string_split_ordinal", &kSplitOrdinal},
      {"tsql_openjson", &kOpenJson},
  };
  for (const auto& [name, function] : functions) {
    const int rc =
        sqlite3_create_module_v2(db, name, &kModule, const_cast<Function*>(function), nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  return SQLITE_OK;
}

}  // namespace tsql::detail
