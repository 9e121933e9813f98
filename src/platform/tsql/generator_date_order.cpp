// A text that becomes a date is read in the order SET DATEFORMAT (or SET LANGUAGE) gives the
// session: the runtime's tsql_date_text rewrites its numeric date as yyyy-mm-dd, taking the
// order as a value of the session bound to the statement. Only a value whose type is a text
// goes through it: a date column's stored text is yyyy-mm-dd already and must stay so read.
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

// What SQLite keeps of a definition (a view's query, a column's default or check) binds no
// values: a text there is read in the default order, mdy.
bool Generator::ReadsAsDateText(const Expr& value, const SqlType& target) {
  return bind_literals_ && target.cls == SqlType::Class::kDate && !target.IsTime() &&
         TypeOf(value).IsText();
}

void Generator::GenDateText(const Expr& value, const SqlType& target, const Expr* style) {
  if (!ReadsAsDateText(value, target)) return Gen(value);
  out_ += "tsql_date_text(";
  Gen(value);
  out_ += ", ";
  GenSessionValue(SessionValue::kDateFormat);
  // datetime and smalldatetime read yyyy-dd-mm where the order puts the day first.
  out_ += target.name == "datetime" || target.name == "smalldatetime" ? ", 1" : ", 0";
  if (style) {
    out_ += ", ";
    Pin(*style);  // the style decides the order
    Gen(*style);
  }
  out_ += ')';
}

// YEAR, MONTH, DAY and EOMONTH read a text as datetime2 and date do, ISDATE as datetime does.
bool Generator::GenDateReadingFunction(const std::u16string& name, const Expr& expr) {
  static constexpr std::pair<std::u16string_view, const char*> kFunctions[] = {
      {u"year", "tsql_year"},     {u"month", "tsql_month"},     {u"day", "tsql_day"},
      {u"isdate", "tsql_isdate"}, {u"eomonth", "tsql_eomonth"},
  };
  for (const auto& [function, sqlite] : kFunctions) {
    if (name != function) continue;
    const bool eomonth = name == u"eomonth";
    ExpectArgs(expr, 1, eomonth ? 2 : 1);
    out_ += sqlite;
    out_ += '(';
    GenDateText(*expr.args[0], name == u"isdate" ? SqlType::DateTime() : SqlType::Date());
    for (std::size_t i = 1; i < expr.args.size(); ++i) {
      out_ += ", ";
      Gen(*expr.args[i]);
    }
    out_ += ')';
    return true;
  }
  return false;
}

}  // namespace tsql::generation
