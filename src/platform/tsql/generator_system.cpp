// NEWID, TYPE_NAME, TYPE_ID, OBJECT_NAME and COL_LENGTH: a new uniqueidentifier, the system
// types by their numbers, the names of objects, and the bytes a column's values may take.
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

namespace {

// SQL Server's system types and their numbers (system_type_id).
constexpr std::pair<int, const char*> kSystemTypes[] = {
    {34, "image"},
    {35, "text"},
    {36, "uniqueidentifier"},
    {40, "date"},
    {41, "time"},
    {42, "datetime2"},
    {43, "datetimeoffset"},
    {48, "tinyint"},
    {52, "smallint"},
    {56, "int"},
    {58, "smalldatetime"},
    {59, "real"},
    {60, "money"},
    {61, "datetime"},
    {62, "float"},
    {98, "sql_variant"},
    {99, "ntext"},
    {104, "bit"},
    {106, "decimal"},
    {108, "numeric"},
    {122, "smallmoney"},
    {127, "bigint"},
    {165, "varbinary"},
    {167, "varchar"},
    {173, "binary"},
    {175, "char"},
    {189, "timestamp"},
    {231, "nvarchar"},
    {239, "nchar"},
    {241, "xml"},
    {256, "sysname"},
};

}  // namespace

bool Generator::GenSystemFunction(const std::u16string& name, const Expr& expr) {
  if (name == u"newid") {
    ExpectArgs(expr, 0, 0);
    out_ += "tsql_newid()";
    return true;
  }
  if (name == u"type_name" || name == u"type_id") {
    // A simple CASE reads its operand once.
    ExpectArgs(expr, 1, 1);
    const bool by_number = name == u"type_name";
    out_ += by_number ? "(CASE " : "(CASE lower(";
    Gen(*expr.args[0]);
    out_ += by_number ? "" : ")";
    for (const auto& [number, type] : kSystemTypes) {
      const std::string text = std::string("'") + type + "'";
      const std::string id = std::to_string(number);
      out_ += " WHEN " + (by_number ? id : text) + " THEN " + (by_number ? text : id);
    }
    out_ += " END)";
    return true;
  }
  if (name == u"object_name") {
    // The database's own objects, numbered as OBJECT_ID numbers them.
    ExpectArgs(expr, 1, 1);
    out_ += "(SELECT name FROM main.sqlite_master WHERE rowid = ";
    Gen(*expr.args[0]);
    out_ += " AND type IN ('table', 'view', 'index', 'trigger'))";
    return true;
  }
  if (name == u"col_length") {
    GenColumnLength(expr);
    return true;
  }
  return false;
}

// COL_LENGTH('table', 'column'): known as the batch is translated, from the table's declared
// columns; NULL for a table or column there is not. A max type is -1.
void Generator::GenColumnLength(const Expr& expr) {
  ExpectArgs(expr, 2, 2);
  for (const ExprPtr& arg : expr.args) {
    if (arg->kind != ExprKind::kString) {
      RaiseUnsupported(batch_, arg->pos, u"COL_LENGTH of a name that is not a literal");
    }
    Pin(*arg);  // the translation depends on the names
  }
  std::u16string table = expr.args[0]->text;
  std::erase_if(table, [](char16_t c) { return c == u'[' || c == u']'; });
  // A temporary table is only found through tempdb, a permanent one only outside it.
  const bool in_tempdb = oleaut::EqualsNoCase(table.substr(0, 7), u"tempdb.");
  if (const auto dot = table.rfind(u'.'); dot != std::u16string::npos) table.erase(0, dot + 1);
  const bool temp_name = !table.empty() && table[0] == u'#';
  const auto columns = table.empty() || temp_name != in_tempdb ? nullptr : tables_.Find(table);
  if (columns) {
    for (const TableColumn& column : *columns) {
      if (!oleaut::EqualsNoCase(column.name, expr.args[1]->text)) continue;
      const SqlType& type = column.type;
      std::optional<int> bytes = StorageBytes(type);
      if (!bytes && (type.IsText() || type.cls == SqlType::Class::kBinary)) {
        const bool national = type.IsText() && type.name[0] == 'n';
        bytes = type.length < 0 ? -1 : type.length * (national ? 2 : 1);
      }
      if (bytes) {
        out_ += std::to_string(*bytes);
        return;
      }
    }
  }
  out_ += "NULL";
}

}  // namespace tsql::generation
