// DATETRUNC(part, value): the value with every part finer than `part` at its start, in the
// value's own type; a text is read as a datetime2(7).
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

void Generator::GenDateTrunc(const Expr& expr) {
  ExpectArgs(expr, 2, 2);
  const std::string part = DatePartName(*expr.args[0]);
  const Expr& value = *expr.args[1];
  const SqlType type = TypeOf(expr);
  // A part the type does not keep, or one that is no span of time, cannot be truncated to.
  const int digits = type.FractionDigits();
  const bool time_part = part == "hour" || part == "minute" || part == "second" ||
                         part == "millisecond" || part == "microsecond";
  const bool refused =
      part == "weekday" || part == "nanosecond" || part == "tzoffset" ||
      (type.IsTime() && !time_part) || (type.name == "date" && time_part) ||
      (type.name == "smalldatetime" && (part == "second" || part == "millisecond")) ||
      (part == "millisecond" && digits < 3) || (part == "microsecond" && digits < 6);
  if (refused) {
    RaiseStatementError(expr.args[0]->pos, u"The datepart " + oleaut::FromUtf8(part) +
                                               u" is not supported by date function datetrunc "
                                               u"for data type " +
                                               oleaut::FromUtf8(type.name) + u".");
  }
  out_ += "tsql_datetrunc('" + part + "', ";
  GenAs(value, TypeOf(value).IsText() ? std::optional<SqlType>(type) : std::nullopt);
  out_ += ')';
}

}  // namespace tsql::generation
