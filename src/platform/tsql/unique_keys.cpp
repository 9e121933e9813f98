#include "platform/tsql/unique_keys.h"

#include <fmt/format.h>

#include <functional>

#include "platform/oleaut/text.h"
#include "platform/tsql/sql_type.h"

namespace tsql {
namespace {

std::string TriggerName(std::u16string_view table, std::u16string_view key, bool update) {
  return QuoteName(oleaut::ToUtf8(std::u16string(table) + u"$" + std::u16string(key) +
                                  (update ? u"$null_update" : u"$null_insert")));
}

// SQL Server names an unnamed UNIQUE constraint UQ__table__ and sixteen hexadecimal digits.
std::string ConstraintName(const UniqueKey& key) {
  if (!key.name.empty()) return oleaut::ToUtf8(key.name);
  std::u16string columns;
  for (const std::u16string& column : key.columns)
    columns += column + u",";
  const std::size_t hash = std::hash<std::u16string>{}(key.table + u"|" + columns);
  return fmt::format("UQ__{}__{:016X}", oleaut::ToUtf8(key.table), hash);
}

// A text literal for SQLite.
std::string Literal(std::string_view text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += '\'';
    quoted += c;
  }
  return quoted + "'";
}

// The message of the error, the key's values written in as SQL Server shows them.
std::string Message(const UniqueKey& key) {
  const std::string object = "dbo." + oleaut::ToUtf8(key.table);
  const std::string head =
      key.index ? fmt::format(
                      "Cannot insert duplicate key row in object '{}' with unique index "
                      "'{}'. The duplicate key value is (",
                      object, oleaut::ToUtf8(key.name))
                : fmt::format(
                      "Violation of UNIQUE KEY constraint '{}'. Cannot insert duplicate "
                      "key in object '{}'. The duplicate key value is (",
                      ConstraintName(key), object);
  std::string message = Literal(head);
  for (std::size_t i = 0; i < key.columns.size(); ++i) {
    if (i > 0) message += " || ', '";
    message += " || coalesce(CAST(NEW." + QuoteName(oleaut::ToUtf8(key.columns[i])) +
               " AS TEXT), '<NULL>')";
  }
  return message + " || ').'";
}

}  // namespace

std::vector<std::string> UniqueNullTriggers(const UniqueKey& key) {
  const std::u16string key_name = key.index ? key.name : oleaut::FromUtf8(ConstraintName(key));
  const bool temp = !key.table.empty() && key.table[0] == u'#';
  const std::string table = QuoteName(oleaut::ToUtf8(key.table));
  std::string any_null;
  std::string same_key;
  std::string columns;
  for (std::size_t i = 0; i < key.columns.size(); ++i) {
    const std::string column = QuoteName(oleaut::ToUtf8(key.columns[i]));
    any_null += (i > 0 ? " OR NEW." : "NEW.") + column + " IS NULL";
    same_key += (i > 0 ? " AND " : "") + column + " IS NEW." + column;
    columns += (i > 0 ? ", " : "") + column;
  }
  std::vector<std::string> triggers;
  for (const bool update : {false, true}) {
    std::string sql = temp ? "CREATE TEMP TRIGGER " : "CREATE TRIGGER ";
    sql += TriggerName(key.table, key_name, update);
    sql += update ? " BEFORE UPDATE OF " + columns : std::string(" BEFORE INSERT");
    sql += " ON " + table + " FOR EACH ROW WHEN (" + any_null + ") AND EXISTS (SELECT 1 FROM " +
           table + " WHERE " + same_key + (update ? " AND rowid <> NEW.rowid" : "") +
           ") BEGIN SELECT tsql_raise(" + Message(key) + "); END";
    triggers.push_back(std::move(sql));
  }
  return triggers;
}

std::vector<std::string> DropUniqueNullTriggers(std::u16string_view table,
                                                std::u16string_view index) {
  std::vector<std::string> drops;
  for (const bool update : {false, true})
    drops.push_back("DROP TRIGGER IF EXISTS " + TriggerName(table, index, update));
  return drops;
}

}  // namespace tsql
