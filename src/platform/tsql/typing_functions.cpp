// The result types of the later built-in functions, as SQL Server documents them.
#include "platform/tsql/typing.h"

namespace tsql {

bool IsVariantCast(const Expr& expr) {
  return expr.kind == ExprKind::kConvert && LowerAscii(expr.type.name) == u"sql_variant";
}

const Expr& VariantBase(const Expr& expr) {
  const Expr* value = &expr;
  while (IsVariantCast(*value))
    value = value->args[0].get();
  return *value;
}

SqlType MaxText(bool national) {
  SqlType type = SqlType::Varchar(1, national);
  type.length = -1;
  return type;
}

std::optional<SqlType> Typer::BuiltinFunctionType(const std::u16string& name, const Expr& expr) {
  using C = SqlType::Class;
  const auto arg = [&](std::size_t i) {
    return i < expr.args.size() ? TypeOf(*expr.args[i]) : SqlType::Unknown();
  };
  const auto text_or = [&](const SqlType& type, const SqlType& otherwise) {
    return type.IsText() ? type : otherwise;
  };
  if (name == u"parse" || name == u"try_parse") {
    return ResolveType(expr.type, true).value_or(SqlType::Unknown());
  }
  if (name == u"eomonth") return SqlType{C::kDate, "date", 0, 0, 0};
  if (name == u"datetimefromparts") return SqlType::DateTime();
  if (name == u"smalldatetimefromparts") return SqlType{C::kDate, "smalldatetime", 0, 0, 0};
  if (name == u"timefromparts" || name == u"datetime2fromparts") {
    // The last argument, a literal, is the precision.
    const bool time = name == u"timefromparts";
    const Expr* precision = expr.args.size() == (time ? 5U : 8U) ? expr.args.back().get() : nullptr;
    const int scale =
        precision && precision->kind == ExprKind::kNumber && precision->text.size() == 1
            ? precision->text[0] - u'0'
            : SqlType::kTimeScale;
    return SqlType{C::kDate, time ? "time" : "datetime2", 0, 0,
                   std::min(scale, SqlType::kTimeScale)};
  }
  if (name == u"concat_ws" || name == u"concat") {
    bool national = false;
    for (std::size_t i = 0; i < expr.args.size(); ++i)
      national = national || (arg(i).IsText() && arg(i).name[0] == 'n');
    return SqlType::Varchar(national ? 4000 : 8000, national);
  }
  if (name == u"translate" || name == u"trim") return text_or(arg(0), SqlType::Varchar(8000));
  if (name == u"string_escape" || name == u"json_query" || name == u"json_modify") {
    return MaxText(true);
  }
  if (name == u"replicate") {
    const SqlType value = arg(0);
    if (value.IsText() && value.length < 0) return MaxText(value.name[0] == 'n');
    if (value.IsText() && value.name[0] == 'n') return SqlType::Varchar(4000, true);
    return SqlType::Varchar(8000);
  }
  if (name == u"format" || name == u"json_value") return SqlType::Varchar(4000, true);
  if (name == u"isjson") return SqlType::Int();
  if (name == u"sysdatetime" || name == u"sysutcdatetime") {
    return SqlType{C::kDate, "datetime2", 0, 0, SqlType::kTimeScale};
  }
  if (name == u"getutcdate") return SqlType::DateTime();
  if (name == u"sysdatetimeoffset" || name == u"todatetimeoffset" || name == u"switchoffset") {
    return SqlType{C::kDate, "datetimeoffset", 0, 0, SqlType::kTimeScale};
  }
  if (name == u"sql_variant_property") {
    const Expr* property = expr.args.size() == 2 ? expr.args[1].get() : nullptr;
    const bool text =
        property && property->kind == ExprKind::kString &&
        (LowerAscii(property->text) == u"basetype" || LowerAscii(property->text) == u"collation");
    return text ? SqlType::Varchar(128, true) : SqlType::Int();
  }
  if (name == u"at time zone") {
    // A datetime keeps its three digits, a smalldatetime none, the others their own.
    const SqlType value = arg(0);
    const int digits = value.name == "datetime"        ? 3
                       : value.name == "smalldatetime" ? 0
                       : value.HasFractionScale()      ? value.scale
                                                       : SqlType::kTimeScale;
    return SqlType{C::kDate, "datetimeoffset", 0, 0, digits};
  }
  if (name == u"datediff_big") return SqlType{C::kInteger, "bigint", 0, 0, 0};
  if (name == u"string_agg") {
    // A text keeps its kind, nvarchar(4000) or varchar(8000) unless max; anything else becomes
    // nvarchar(4000).
    const SqlType value = arg(0);
    if (value.IsText() && value.length < 0) return MaxText(value.name[0] == 'n');
    if (value.IsText() && value.name[0] != 'n') return SqlType::Varchar(8000);
    return SqlType::Varchar(4000, true);
  }
  return std::nullopt;
}

}  // namespace tsql
