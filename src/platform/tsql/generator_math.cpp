// The mathematical functions (SQRT, EXP, LOG, the trigonometric ones, PI, RAND, DEGREES,
// RADIANS), GREATEST and LEAST, and the functions of a text's sound and digest (SOUNDEX,
// DIFFERENCE, HASHBYTES).
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

namespace {

constexpr FunctionMap kMathFunctions[] = {
    {u"sqrt", "tsql_sqrt", 1, 1},
    {u"exp", "tsql_exp", 1, 1},
    {u"log", "tsql_log", 1, 2},
    {u"log10", "tsql_log10", 1, 1},
    {u"sin", "tsql_sin", 1, 1},
    {u"cos", "tsql_cos", 1, 1},
    {u"tan", "tsql_tan", 1, 1},
    {u"asin", "tsql_asin", 1, 1},
    {u"acos", "tsql_acos", 1, 1},
    {u"atan", "tsql_atan", 1, 1},
    {u"cot", "tsql_cot", 1, 1},
    {u"atn2", "tsql_atn2", 2, 2},
    {u"rand", "tsql_rand", 0, 1},
    {u"soundex", "tsql_soundex", 1, 1},
    {u"difference", "tsql_difference", 2, 2},
};

}  // namespace

bool Generator::GenMathFunction(const std::u16string& name, const Expr& expr) {
  if (name == u"pi") {
    ExpectArgs(expr, 0, 0);
    out_ += "3.141592653589793";
    return true;
  }
  if (name == u"degrees" || name == u"radians") {
    // The result keeps the argument's type: DEGREES(1) is the integer 57.
    ExpectArgs(expr, 1, 1);
    const SqlType result = TypeOf(expr);
    const char* function = name == u"degrees" ? "tsql_degrees" : "tsql_radians";
    if (result.cls == SqlType::Class::kInteger) {
      out_ += "tsql_fit(CAST(";
      GenCall(function, expr);
      out_ += " AS INTEGER), '" + result.name + "')";
    } else if (result.cls == SqlType::Class::kDecimal) {
      out_ += "tsql_convert('" + result.Declared() + "', ";
      GenCall(function, expr);
      out_ += ')';
    } else {
      GenCall(function, expr);
    }
    return true;
  }
  if (name == u"greatest" || name == u"least") {
    ExpectArgs(expr, 1, 254);
    const SqlType result = TypeOf(expr);
    out_ += name == u"greatest" ? "tsql_greatest(" : "tsql_least(";
    for (std::size_t i = 0; i < expr.args.size(); ++i) {
      if (i > 0) out_ += ", ";
      const SqlType type = TypeOf(*expr.args[i]);
      const bool same = type.name == result.name && type.precision == result.precision &&
                        type.scale == result.scale;
      GenAs(*expr.args[i], result.IsKnown() && !same && type.cls != SqlType::Class::kNull
                               ? std::optional<SqlType>(result)
                               : std::nullopt);
    }
    out_ += ')';
    return true;
  }
  if (name == u"hashbytes") {
    // The digest is of the value's bytes, which differ for an nvarchar and a varchar.
    ExpectArgs(expr, 2, 2);
    const SqlType value = TypeOf(*expr.args[1]);
    if (value.IsKnown() && !value.IsText() && value.cls != SqlType::Class::kBinary &&
        value.cls != SqlType::Class::kNull) {
      RaiseStatementError(expr.args[1]->pos,
                          u"Argument data type " + oleaut::FromUtf8(value.name) +
                              u" is invalid for argument 2 of hashbytes function.");
    }
    GenCall("tsql_hashbytes", expr);
    out_.pop_back();
    out_ += value.IsText() && value.name[0] == 'n' ? ", 1)" : ", 0)";
    return true;
  }
  return GenMappedCall(kMathFunctions, name, expr);
}

}  // namespace tsql::generation
