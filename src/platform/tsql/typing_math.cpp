// The result types of the mathematical functions, GREATEST, LEAST, SOUNDEX, DIFFERENCE,
// HASHBYTES, NEWID, TYPE_NAME and TYPE_ID.
#include "platform/tsql/typing.h"

namespace tsql {

std::optional<SqlType> Typer::MathFunctionType(const std::u16string& name, const Expr& expr) {
  using C = SqlType::Class;
  const auto arg = [&](std::size_t i) {
    return i < expr.args.size() ? TypeOf(*expr.args[i]) : SqlType::Unknown();
  };
  if (name == u"sqrt" || name == u"exp" || name == u"log" || name == u"log10" || name == u"sin" ||
      name == u"cos" || name == u"tan" || name == u"asin" || name == u"acos" || name == u"atan" ||
      name == u"cot" || name == u"atn2" || name == u"pi" || name == u"rand") {
    return SqlType::Float();
  }
  if (name == u"soundex") return SqlType::Varchar(4);
  if (name == u"difference") return SqlType::Int();
  if (name == u"newid") return SqlType{C::kText, "uniqueidentifier", 36, 0, 0};
  if (name == u"type_name" || name == u"object_name") return SqlType::Varchar(128, true);
  if (name == u"type_id") return SqlType::Int();
  if (name == u"formatmessage") return SqlType::Varchar(2048, true);
  if (name == u"col_length") return SqlType{C::kInteger, "smallint", 0, 0, 0};
  if (name == u"datetrunc") {
    // The value's type; a text is read as a datetime2(7).
    const SqlType value = arg(1);
    return value.cls == C::kDate ? value
                                 : SqlType{C::kDate, "datetime2", 0, 0, SqlType::kTimeScale};
  }
  if (name == u"hashbytes") return SqlType{C::kBinary, "varbinary", 8000, 0, 0};
  if (name == u"degrees" || name == u"radians" || name == u"sign") {
    // The argument's type, the small integers widened to int and a decimal to 38 digits.
    const SqlType type = arg(0);
    if (type.cls == C::kInteger && type.name != "bigint") return SqlType::Int();
    if (type.cls == C::kDecimal && !type.IsMoney()) return SqlType::Decimal(38, type.scale);
    if (type.cls == C::kInteger || type.cls == C::kDecimal) return type;
    return SqlType::Float();
  }
  if (name == u"greatest" || name == u"least") {
    SqlType result = SqlType::Null();
    for (std::size_t i = 0; i < expr.args.size(); ++i) {
      const SqlType type = arg(i);
      if (type.cls == C::kNull) continue;
      result = result.cls == C::kNull ? type : HigherType(result, type);
    }
    return result.cls == C::kNull ? SqlType::Unknown() : result;
  }
  return std::nullopt;
}

}  // namespace tsql
