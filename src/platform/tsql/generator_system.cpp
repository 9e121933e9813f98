// NEWID, TYPE_NAME and TYPE_ID: a new uniqueidentifier, and the system types by their numbers.
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
  return false;
}

}  // namespace tsql::generation
