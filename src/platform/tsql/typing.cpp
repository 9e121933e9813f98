#include "platform/tsql/typing.h"

#include <algorithm>

namespace tsql {

SqlType Typer::TypeOf(const Expr& expr) {
  if (auto found = types_.find(&expr); found != types_.end()) return found->second;
  SqlType type = ComputeType(expr);
  types_.emplace(&expr, type);
  return type;
}

SqlType Typer::ComputeType(const Expr& expr) {
  using C = SqlType::Class;
  switch (expr.kind) {
    case ExprKind::kNull:
      return SqlType::Null();
    case ExprKind::kNumber:
      return NumberType(expr.text);
    case ExprKind::kString:
      return SqlType::Varchar(static_cast<int>(expr.text.size()), expr.national);
    case ExprKind::kBinary:
      return {C::kBinary, "varbinary", std::max<int>(1, static_cast<int>(expr.text.size() + 1) / 2),
              0, 0};
    case ExprKind::kVariable:
      if (IsKeyword(expr.text, u"@@IDENTITY")) return SqlType::Decimal(38, 0);
      if (IsKeyword(expr.text, u"@@ROWCOUNT") || IsKeyword(expr.text, u"@@ERROR") ||
          IsKeyword(expr.text, u"@@TRANCOUNT")) {
        return SqlType::Int();
      }
      if (IsKeyword(expr.text, u"@@DATEFIRST")) return {C::kInteger, "tinyint", 0, 0, 0};
      if (IsKeyword(expr.text, u"@@LANGUAGE")) return SqlType::Varchar(128, true);
      if (!expr.type.IsEmpty()) {
        std::optional<SqlType> type = ResolveType(expr.type, false);
        return type ? *type : SqlType::Unknown();
      }
      return SqlType::Unknown();
    case ExprKind::kUnary:
      return expr.text == u"NOT" ? SqlType::Unknown() : TypeOf(*expr.args[0]);
    case ExprKind::kBinaryOp:
      if (expr.text.size() == 1 &&
          std::u16string_view(u"+-*/%&|^").find(expr.text[0]) != std::u16string_view::npos) {
        return ArithmeticResult(TypeOf(*expr.args[0]), TypeOf(*expr.args[1]), expr.text[0]);
      }
      return SqlType::Unknown();
    case ExprKind::kFunction:
      return FunctionType(expr);
    case ExprKind::kCase: {
      // The highest type of the branches; one branch of unknown type makes the whole unknown.
      SqlType result = SqlType::Null();
      const std::size_t begin = expr.has_operand ? 2 : 1;
      const std::size_t end = expr.args.size() - (expr.has_else ? 1 : 0);
      const auto merge = [&](const Expr& branch_expr) {
        const SqlType branch = TypeOf(branch_expr);
        if (branch.cls == C::kNull) return;
        result = result.cls == C::kNull ? branch : HigherType(result, branch);
      };
      for (std::size_t i = begin; i < end; i += 2)
        merge(*expr.args[i]);
      if (expr.has_else) merge(*expr.args.back());
      return result.cls == C::kNull ? SqlType::Unknown() : result;
    }
    case ExprKind::kConvert:
    case ExprKind::kIdentity: {
      // A sql_variant's base type is the data's: one of several types where a UNION, a CASE or
      // SELECT ... INTO joins it with others.
      if (IsVariantCast(expr)) return SqlType::Unknown();
      std::optional<SqlType> type = ResolveType(expr.type, expr.kind == ExprKind::kConvert);
      return type ? *type : SqlType::Unknown();
    }
    case ExprKind::kSubquery: {
      if (expr.select->for_xml || expr.select->for_json) return MaxText(true);
      const SelectCore& core = expr.select->cores.front();
      if (core.items.size() == 1 && !core.items[0].star) return TypeOf(*core.items[0].expr);
      return SqlType::Unknown();
    }
    default:
      // A column the resolver did not find, a marker: only the data will tell.
      return SqlType::Unknown();
  }
}

SqlType NumberType(std::u16string_view text) {
  if (IsMoneyLiteral(text)) return {SqlType::Class::kDecimal, "money", 0, 19, 4};
  if (text.find_first_of(u"eE") != std::u16string_view::npos) return SqlType::Float();
  const std::size_t point = text.find(u'.');
  std::size_t digits = 0;
  for (char16_t c : text)
    digits += (c >= u'0' && c <= u'9') ? 1 : 0;
  if (point == std::u16string_view::npos) {
    if (digits < 10 || (digits == 10 && text <= u"2147483647")) return SqlType::Int();
    return SqlType::Decimal(static_cast<int>(std::min<std::size_t>(digits, 38)), 0);
  }
  const int scale = static_cast<int>(text.size() - point - 1);
  return SqlType::Decimal(
      static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(digits, 1), 38)), scale);
}

bool IsMoneyLiteral(std::u16string_view text) {
  return !text.empty() && text[0] != u'.' && (text[0] < u'0' || text[0] > u'9');
}

std::u16string_view MoneyDigits(std::u16string_view text) {
  return IsMoneyLiteral(text) ? text.substr(1) : text;
}

SqlType Typer::FunctionType(const Expr& expr) {
  const std::u16string name = LowerAscii(expr.text);
  if (auto builtin = BuiltinFunctionType(name, expr)) return *builtin;
  if (auto math = MathFunctionType(name, expr)) return *math;
  const auto arg = [&](std::size_t i) {
    return i < expr.args.size() ? TypeOf(*expr.args[i]) : SqlType::Unknown();
  };
  if (name == u"count" || name == u"len" || name == u"datalength" || name == u"charindex" ||
      name == u"object_id" || name == u"isnumeric" || name == u"year" || name == u"month" ||
      name == u"day" || name == u"ascii" || name == u"unicode" || name == u"datediff" ||
      name == u"datepart" || name == u"isdate") {
    return SqlType::Int();
  }
  if (name == u"error_number" || name == u"error_severity" || name == u"error_state" ||
      name == u"error_line") {
    return SqlType::Int();
  }
  if (name == u"error_message") return SqlType::Varchar(4000, true);
  if (name == u"error_procedure") return SqlType::Varchar(128, true);
  if (name == u"xact_state") return {SqlType::Class::kInteger, "smallint", 0, 0, 0};
  if (name == u"dateadd" && arg(2).HasFractionScale()) return arg(2);
  if (name == u"getdate" || name == u"dateadd") return SqlType::DateTime();
  if (name == u"datefromparts") return {SqlType::Class::kDate, "date", 0, 0, 0};
  if (name == u"datename") return SqlType::Varchar(30, true);
  if (name == u"scope_identity") return SqlType::Decimal(38, 0);
  if (name == u"floor" || name == u"ceiling") {
    const SqlType type = arg(0);
    if (type.cls == SqlType::Class::kDecimal && !type.IsMoney()) {
      return SqlType::Decimal(type.precision, 0);
    }
    return type;
  }
  if (name == u"min" || name == u"max" || name == u"abs" || name == u"round") return arg(0);
  if (name == u"sum") {
    SqlType type = arg(0);
    if (type.IsMoney()) return type;
    if (type.cls == SqlType::Class::kDecimal) return SqlType::Decimal(38, type.scale);
    if (type.cls == SqlType::Class::kInteger && type.name != "bigint") return SqlType::Int();
    return type;
  }
  if (name == u"avg") {
    SqlType type = arg(0);
    if (type.IsMoney()) return type;
    if (type.cls == SqlType::Class::kDecimal) {
      return SqlType::Decimal(38, std::max(6, type.scale));
    }
    if (type.cls == SqlType::Class::kInteger && type.name != "bigint") return SqlType::Int();
    return type;
  }
  if (name == u"isnull") {
    // ISNULL takes the type of its first argument.
    const SqlType first = arg(0);
    return first.cls == SqlType::Class::kNull ? arg(1) : first;
  }
  // The highest type of the arguments from `first` on (the branches of COALESCE, IIF, CHOOSE).
  const auto highest = [&](std::size_t first) {
    SqlType result = SqlType::Null();
    for (std::size_t i = first; i < expr.args.size(); ++i) {
      const SqlType type = arg(i);
      if (type.cls == SqlType::Class::kNull) continue;
      result = result.cls == SqlType::Class::kNull ? type : HigherType(result, type);
    }
    return result.cls == SqlType::Class::kNull ? SqlType::Unknown() : result;
  };
  if (name == u"coalesce") return highest(0);
  if (name == u"nullif") return arg(0);
  if (name == u"count_big" || name == u"row_number" || name == u"rank" || name == u"dense_rank" ||
      name == u"ntile") {
    return {SqlType::Class::kInteger, "bigint", 0, 0, 0};
  }
  if (name == u"percent_rank" || name == u"cume_dist") return SqlType::Float();
  if (name == u"lag" || name == u"lead" || name == u"first_value" || name == u"last_value") {
    return arg(0);
  }
  if (name == u"square") return SqlType::Float();
  if (name == u"quotename") return SqlType::Varchar(258, true);
  if (name == u"iif" || name == u"choose") return highest(1);
  if (name == u"upper" || name == u"lower" || name == u"ltrim" || name == u"rtrim" ||
      name == u"replace" || name == u"substring" || name == u"left" || name == u"right") {
    SqlType type = arg(0);
    if (type.IsText()) return type;
    return SqlType::Varchar(8000);
  }
  if (name == u"space" || name == u"replicate" || name == u"stuff" || name == u"reverse") {
    return SqlType::Varchar(8000);
  }
  if (name == u"str") return SqlType::Varchar(10);
  if (name == u"patindex") return SqlType::Int();
  if (name == u"power") {
    const SqlType base = arg(0);
    return base.cls == SqlType::Class::kDecimal ? SqlType::Decimal(38, base.scale) : base;
  }
  if (name == u"char") return SqlType::Varchar(1);
  if (name == u"nchar") return SqlType::Varchar(1, true);
  return SqlType::Unknown();
}

}  // namespace tsql
