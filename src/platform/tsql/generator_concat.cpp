// CONCAT and FORMATMESSAGE: their arguments become text as CAST to varchar makes them, a
// decimal with every digit of its scale (1.50), money with two decimals, a float and a datetime
// in style 0, a date as yyyy-mm-dd.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

void Generator::GenAsText(const Expr& value) {
  const SqlType type = TypeOf(value);
  if (type.IsMoney()) {
    out_ += "tsql_money_text(";
    Gen(value);
    out_ += ", 0)";
  } else if (type.cls == SqlType::Class::kDecimal) {
    GenAs(value, type);  // the value carries its scale
  } else if (type.cls == SqlType::Class::kFloat || type.name == "datetime" ||
             type.name == "smalldatetime" || type.name == "date") {
    out_ += "tsql_convert('varchar(8000)', ";
    Gen(value);
    out_ += type.name == "date" ? ", 23)" : ", 0)";  // a date alone is "yyyy-mm-dd"
  } else {
    Gen(value);
  }
}

bool Generator::GenConcatFunction(const std::u16string& name, const Expr& expr) {
  const bool concat = name == u"concat";
  if (!concat && name != u"formatmessage") return false;
  ExpectArgs(expr, concat ? 2 : 1, 254);
  if (!concat && TypeOf(*expr.args[0]).cls == SqlType::Class::kInteger) {
    RaiseUnsupported(batch_, expr.args[0]->pos, u"FORMATMESSAGE with a message number");
  }
  out_ += concat ? "tsql_concat(" : "tsql_format_message(";
  for (std::size_t i = 0; i < expr.args.size(); ++i) {
    if (i > 0) out_ += ", ";
    // FORMATMESSAGE's placeholders take numbers as numbers.
    if (concat) {
      GenAsText(*expr.args[i]);
    } else {
      Gen(*expr.args[i]);
    }
  }
  out_ += ')';
  return true;
}

}  // namespace tsql::generation
