// sql_variant: CAST(x AS sql_variant) holds x's value as it is, so that it compares and converts
// back as x does; SQL_VARIANT_PROPERTY reads the base type from the static type of the value,
// which the translator knows wherever the value is a cast or any other typed expression. A
// column or variable of sql_variant, whose base type changes from row to row, is refused.

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

namespace {

// What SQL_VARIANT_PROPERTY reports of a base type.
struct VariantProperties {
  std::string_view base_type;
  int precision;
  int scale;
  int max_length;   // bytes
  int total_bytes;  // with the variant's header; 0 for a text, whose data length adds to 8
};

constexpr VariantProperties kFixedTypes[] = {
    {"int", 10, 0, 4, 6},
    {"bigint", 19, 0, 8, 10},
    {"smallint", 5, 0, 2, 4},
    {"tinyint", 3, 0, 1, 3},
    {"bit", 1, 0, 1, 3},
    {"float", 53, 0, 8, 10},
    {"real", 24, 0, 4, 6},
    {"money", 19, 4, 8, 10},
    {"smallmoney", 10, 4, 4, 6},
    {"datetime", 23, 3, 8, 10},
    {"smalldatetime", 16, 0, 4, 6},
};

// The bytes a decimal of `precision` digits takes.
int DecimalBytes(int precision) {
  return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

std::optional<VariantProperties> PropertiesOf(const SqlType& type, bool numeric_literal) {
  for (const VariantProperties& fixed : kFixedTypes) {
    if (fixed.base_type == type.name) return fixed;
  }
  if (type.cls == SqlType::Class::kDecimal && !type.IsMoney()) {
    const int bytes = DecimalBytes(type.precision);
    return VariantProperties{
        numeric_literal ? std::string_view("numeric") : std::string_view(type.name), type.precision,
        type.scale, bytes, bytes + 4};
  }
  if (type.IsText() && type.length > 0 && type.name != "text" && type.name != "ntext") {
    const bool national = type.name[0] == 'n';
    return VariantProperties{type.name, 0, 0, national ? 2 * type.length : type.length, 0};
  }
  return std::nullopt;
}

}  // namespace

// A large-value type does not fit in a sql_variant (SQL Server's error 206); nor does CONVERT
// take a style for one.
void Generator::CheckVariantCast(const Expr& expr) {
  if (expr.args.size() > 1) {
    RaiseUnsupported(batch_, expr.args[1]->pos, u"CONVERT to sql_variant with a style");
  }
  const Expr& value = *expr.args[0];
  if (IsVariantCast(value)) return CheckVariantCast(value);
  const SqlType type = TypeOf(value);
  if (type.length < 0 || type.name == "text" || type.name == "ntext" || type.name == "image" ||
      type.name == "xml") {
    RaiseStatementError(value.pos, u"Operand type clash: " + oleaut::FromUtf8(type.Declared()) +
                                       u" is incompatible with sql_variant");
  }
}

void Generator::GenVariantCast(const Expr& expr) {
  CheckVariantCast(expr);
  Gen(VariantBase(expr));
}

// SQL_VARIANT_PROPERTY(value, 'BaseType' | 'Precision' | 'Scale' | 'TotalBytes' | 'Collation' |
// 'MaxLength'): known from the value's type, NULL when the value is NULL or the property is none
// of these.
void Generator::GenVariantProperty(const Expr& expr) {
  ExpectArgs(expr, 2, 2);
  if (IsVariantCast(*expr.args[0])) CheckVariantCast(*expr.args[0]);
  const Expr& value = VariantBase(*expr.args[0]);
  const Expr& property = *expr.args[1];
  if (property.kind != ExprKind::kString) {
    RaiseUnsupported(batch_, property.pos,
                     u"SQL_VARIANT_PROPERTY with a property that is no literal");
  }
  Pin(property);
  const SqlType type = TypeOf(value);
  if (type.cls == SqlType::Class::kNull) {
    out_ += "NULL";
    return;
  }
  const bool numeric_literal = value.kind == ExprKind::kNumber && !value.parenthesized;
  const std::optional<VariantProperties> known =
      type.IsKnown() ? PropertiesOf(type, numeric_literal) : std::nullopt;
  if (!known) {
    RaiseUnsupported(batch_, value.pos,
                     type.IsKnown() ? u"SQL_VARIANT_PROPERTY of a " + oleaut::FromUtf8(type.name)
                                    : u"SQL_VARIANT_PROPERTY of a value of no known type");
  }
  const std::u16string name = LowerAscii(property.text);
  std::string result;
  if (name == u"basetype") {
    result = "'" + std::string(known->base_type) + "'";
  } else if (name == u"precision") {
    result = std::to_string(known->precision);
  } else if (name == u"scale") {
    result = std::to_string(known->scale);
  } else if (name == u"maxlength") {
    result = std::to_string(known->max_length);
  } else if (name == u"collation") {
    result = type.IsText() ? "'SQL_Latin1_General_CP1_CI_AS'" : "NULL";
  } else if (name == u"totalbytes" && known->total_bytes > 0) {
    result = std::to_string(known->total_bytes);
  } else if (name == u"totalbytes") {
    out_ += "(8 + tsql_datalength(";
    Gen(value);
    out_ += type.name[0] == 'n' ? ", 1))" : ", 0))";
    return;
  } else {
    out_ += "NULL";
    return;
  }
  out_ += "CASE WHEN ";
  Gen(value);
  out_ += " IS NULL THEN NULL ELSE " + result + " END";
}

}  // namespace tsql::generation
