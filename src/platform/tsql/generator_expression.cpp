// Expressions: literals bound as markers, columns, variables, operators with SQL Server's type
// precedence and arithmetic, comparisons under the default collation, CASE and CONVERT.
#include <algorithm>

#include "platform/tsql/engine_names.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

namespace {

bool IsComparison(std::u16string_view op) {
  return op == u"=" || op == u"<>" || op == u"!=" || op == u"<" || op == u"<=" || op == u">" ||
         op == u">=" || op == u"!<" || op == u"!>";
}

bool IsBareColumn(const Expr& expr) {
  return expr.kind == ExprKind::kColumn;
}

// A literal becomes a marker bound to the value the running batch writes there, so that batches
// that differ only in such values share one translation; one whose value the translation
// depends on is written into the text, and the cache checks it. So is every literal past the
// first kMaxBoundLiterals of a statement: SQLite looks numbered markers up one by one (a list
// of thousands of ids would cost their square) and takes at most 32766 of them, and a
// statement that long is not sent twice alike anyway.
static constexpr std::size_t kMaxBoundLiterals = 100;

}  // namespace

void Generator::Gen(const Expr& expr) {
  switch (expr.kind) {
    case ExprKind::kNull:
      out_ += "NULL";
      return;
    case ExprKind::kNumber:
      if (IsMoneyLiteral(expr.text)) {
        // A money constant holds four decimals and money's range.
        out_ += "tsql_convert('money', ";
        GenLiteral(expr);
        out_ += ')';
        return;
      }
      GenLiteral(expr);
      return;
    case ExprKind::kString:
      GenLiteral(expr);
      return;
    case ExprKind::kBinary:
      out_ += "X'";
      if (expr.text.size() % 2 != 0) out_ += '0';
      out_ += Utf8(expr.text);
      out_ += '\'';
      return;
    case ExprKind::kMarker:
      markers_.push_back({BoundMarker::From::kParameter, expr.index});
      out_ += '?';
      out_ += std::to_string(markers_.size());
      return;
    case ExprKind::kColumn:
      GenColumn(expr);
      return;
    case ExprKind::kVariable:
      GenVariable(expr);
      return;
    case ExprKind::kUnary:
      GenUnary(expr);
      return;
    case ExprKind::kBinaryOp:
      GenBinary(expr);
      return;
    case ExprKind::kFunction:
      GenFunction(expr);
      return;
    case ExprKind::kCase:
      GenCase(expr);
      return;
    case ExprKind::kConvert:
      GenConvert(expr);
      return;
    case ExprKind::kSubquery:
      GenScalarSubquery(*expr.select);
      return;
    case ExprKind::kExists:
      out_ += "(EXISTS (";
      GenNestedSelect(*expr.select);
      out_ += "))";
      return;
    case ExprKind::kIn:
      GenIn(expr);
      return;
    case ExprKind::kBetween:
      GenBetween(expr);
      return;
    case ExprKind::kLike:
      GenLike(expr);
      return;
    case ExprKind::kIsNull:
      out_ += '(';
      Gen(*expr.args[0]);
      out_ += expr.negated ? " IS NOT NULL)" : " IS NULL)";
      return;
    case ExprKind::kIdentity:
      RaiseStatementError(expr.pos,
                          u"The IDENTITY function can only be used when the SELECT statement "
                          u"has an INTO clause.");
  }
}

void Generator::GenLiteral(const Expr& expr) {
  if (bind_literals_ && expr.literal >= 0 && !IsPinned(expr) &&
      markers_.size() < kMaxBoundLiterals) {
    markers_.push_back(
        {BoundMarker::From::kLiteral, static_cast<int>(program_.bound_literals.size())});
    program_.bound_literals.push_back(expr.literal);
    out_ += '?';
    out_ += std::to_string(markers_.size());
    return;
  }
  if (expr.literal >= 0) program_.fixed_literals.push_back({expr.literal, expr.text});
  if (expr.kind == ExprKind::kNumber) {
    const std::u16string_view digits = MoneyDigits(expr.text);
    out_ += digits.empty() ? std::string("0") : Utf8(digits);
  } else {
    AppendStringLiteral(out_, expr.text);
  }
}

// The translation depends on the literal's value: it is written into the text.
void Generator::Pin(const Expr& expr) {
  if (expr.literal >= 0) pinned_.push_back(expr.literal);
}

bool Generator::IsPinned(const Expr& expr) const {
  return std::find(pinned_.begin(), pinned_.end(), expr.literal) != pinned_.end();
}

void Generator::GenCompared(const Expr& expr, bool collate) {
  Gen(expr);
  if (collate) out_ += " COLLATE TSQL";
}

// SQL Server compares a text with a number or a date as a number or a date: the text is
// converted to the other side's type, so that '057' = 57 and '2024-01-05' equals midnight of
// that day. The type to convert `side` to, when it needs converting.
std::optional<SqlType> Generator::ComparedAs(const SqlType& side, const SqlType& other) {
  if (side.IsTime() && other.cls == SqlType::Class::kDate) {
    // A time beside a date-time is that time on 1900-01-01 (with a datetime2's digits); two
    // times compare at the precision of the finer, whose texts have the same digits.
    if (other.name == "datetime2")
      return SqlType{SqlType::Class::kDate, "datetime2", 0, 0, other.scale};
    if (!other.IsTime()) return SqlType::DateTime();
    if (side.scale < other.scale) return other;
    return std::nullopt;
  }
  if (side.cls == SqlType::Class::kDate && other.cls == SqlType::Class::kDate &&
      (side.name == "datetime2" || other.name == "datetime2") && !other.IsTime() &&
      side.name != "datetimeoffset" && other.name != "datetimeoffset") {
    // A datetime2 beside another date-time: the side that writes fewer digits of the second's
    // fraction takes as many as the other, so that equal values have equal texts.
    if (side.FractionDigits() >= other.FractionDigits()) return std::nullopt;
    SqlType finer = other;
    finer.name = "datetime2";
    finer.scale = other.FractionDigits();
    return finer;
  }
  if (!side.IsKnown() && other.name == "datetime2") {
    // A parameter (or a column of a derived table) beside a datetime2 is read as one: a date
    // bound as "2024-01-05 00:00:00.000" equals the stored "2024-01-05 00:00:00.0000000".
    return other;
  }
  if (!side.IsText()) return std::nullopt;
  switch (other.cls) {
    case SqlType::Class::kBit:
    case SqlType::Class::kFloat:
      return other;
    case SqlType::Class::kInteger:
      return other.name == "bigint" ? other : SqlType::Int();
    case SqlType::Class::kDecimal:
      // Widest precision: the text's digits before the point need not fit the other side's.
      return SqlType::Decimal(38, other.scale);
    case SqlType::Class::kDate:
      // A text beside a date is a date (its time of day dropped, yyyy-mm-dd read in any order);
      // beside a datetime2 it keeps the digits of its second.
      return other.IsTime() || other.name == "date" || other.name == "datetime2"
                 ? other
                 : SqlType::DateTime();
    default:
      return std::nullopt;
  }
}

// A value compared with a list (IN, the WHENs of CASE x): a text value takes the type of the
// first item that is a number or a date; otherwise each item that is a text is converted to
// the value's type.
std::optional<SqlType> Generator::ListComparedAs(const SqlType& value,
                                                 const std::vector<const Expr*>& items) {
  for (const Expr* item : items) {
    if (auto as = ComparedAs(value, TypeOf(*item))) return as;
  }
  return std::nullopt;
}

// The value compared with a list: converted, or under the default collation unless it is a
// column with its own.
void Generator::GenListValue(const Expr& value, const std::optional<SqlType>& value_as) {
  if (value_as) {
    GenAs(value, value_as);
  } else {
    GenCompared(value, !IsBareColumn(value));
  }
}

// An item of the list: a text converted to the value's type unless the value was converted.
void Generator::GenListItem(const Expr& item, const SqlType& value,
                            const std::optional<SqlType>& value_as) {
  GenAs(item, value_as ? std::nullopt : ComparedAs(TypeOf(item), value));
}

void Generator::GenAs(const Expr& expr, const std::optional<SqlType>& type) {
  if (!type) {
    Gen(expr);
    return;
  }
  out_ += "tsql_convert('" + type->Declared() + "', ";
  GenConverted(expr, *type);
  out_ += ')';
}

// The value a conversion to `type` starts from: money becomes an integer rounded (1.56 is 2),
// where other numbers lose their fraction; a datetime becomes a finer type with the 1/300 of a
// second it holds (.127 is .1266667); a text becomes a date in the session's date order.
void Generator::GenConverted(const Expr& value, const SqlType& type, const Expr* style) {
  if (type.HasFractionScale() && TypeOf(value).name == "datetime") {
    out_ += "tsql_datetime_exact(";
    Gen(value);
    out_ += ')';
    return;
  }
  if (type.cls == SqlType::Class::kDate) return GenDateText(value, type, style);
  const SqlType from = TypeOf(value);
  const bool number = type.cls == SqlType::Class::kInteger ||
                      type.cls == SqlType::Class::kDecimal || type.cls == SqlType::Class::kFloat;
  if (number && (from.name == "datetime" || from.name == "smalldatetime")) {
    // A datetime is its days from 1900-01-01; an integer takes the nearest day.
    out_ +=
        type.cls == SqlType::Class::kInteger ? "round(tsql_datetime_days(" : "(tsql_datetime_days(";
    Gen(value);
    out_ += "))";
    return;
  }
  if (type.cls == SqlType::Class::kBinary && from.cls == SqlType::Class::kInteger) {
    if (const auto width = StorageBytes(from)) {
      out_ += "tsql_integer_bytes(";
      Gen(value);
      out_ += ", " + std::to_string(*width) + ", " + std::to_string(type.length) +
              (type.name == "binary" ? ", 1)" : ", 0)");
      return;
    }
  }
  if (type.cls != SqlType::Class::kInteger || !from.IsMoney()) return Gen(value);
  out_ += "round(";
  Gen(value);
  out_ += ')';
}

void Generator::GenColumn(const Expr& expr) {
  if (GenLateralColumn(expr) || GenActionColumn(expr)) return;
  CheckOutputColumn(expr);
  const auto& names = expr.names;
  // database.schema.table.column and schema.table.column name the table by its own name.
  const std::size_t first = names.size() > 2 ? names.size() - 2 : 0;
  for (std::size_t i = 0; i + 2 < names.size(); ++i) {
    const bool schema = i + 3 == names.size();
    if (names[i].empty() || (schema && oleaut::EqualsNoCase(names[i], u"dbo"))) continue;
    RaiseUnsupported(batch_, expr.pos,
                     schema ? u"A schema other than dbo" : u"A name qualified by a database");
  }
  for (std::size_t i = first; i < names.size(); ++i) {
    if (i > first) out_ += '.';
    AppendQuotedName(out_, names[i]);
  }
}

void Generator::GenVariable(const Expr& expr) {
  if (IsKeyword(expr.text, u"@@IDENTITY")) {
    out_ += "tsql_identity()";
    return;
  }
  if (IsKeyword(expr.text, u"@@ROWCOUNT")) {
    markers_.push_back({BoundMarker::From::kRowCount, 0});
    out_ += '?';
    out_ += std::to_string(markers_.size());
    return;
  }
  if (IsKeyword(expr.text, u"@@DATEFIRST")) return GenSessionValue(SessionValue::kDateFirst);
  if (IsKeyword(expr.text, u"@@LANGUAGE")) return GenSessionValue(SessionValue::kLanguage);
  if (IsKeyword(expr.text, u"@@ERROR")) return GenSessionValue(SessionValue::kError);
  if (IsKeyword(expr.text, u"@@TRANCOUNT")) return GenSessionValue(SessionValue::kTranCount);
  if (expr.text.size() > 1 && expr.text[1] == u'@') {
    RaiseUnsupported(batch_, expr.pos, u"The system function " + expr.text);
  }
  out_ += "tsql_variable(" + std::to_string(expr.index) + ')';
}

void Generator::GenUnary(const Expr& expr) {
  const std::u16string& op = expr.text;
  if (op == u"+") {
    Gen(*expr.args[0]);
    return;
  }
  const auto body = [&] {
    out_ += op == u"NOT" ? "(NOT " : op == u"-" ? "(-" : "(~";
    Gen(*expr.args[0]);
    out_ += ')';
  };
  const SqlType type = TypeOf(expr);
  if (op == u"~" && (type.name == "tinyint" || type.name == "bit")) {
    // The complement keeps to the type's bits: ~CAST(0 AS tinyint) is 255, ~CAST(1 AS bit) 0.
    out_ += '(';
    body();
    out_ += type.name == "bit" ? " & 1)" : " & 255)";
    return;
  }
  // The lowest int, smallint or bigint has no negative in its type; a literal always has one.
  if (op == u"-" && expr.args[0]->kind != ExprKind::kNumber &&
      type.cls == SqlType::Class::kInteger && type.name != "tinyint") {
    return GenFitted(expr, body);
  }
  body();
}

void Generator::GenBinary(const Expr& expr) {
  const std::u16string& op = expr.text;
  const Expr& left = *expr.args[0];
  const Expr& right = *expr.args[1];
  if (op == u"AND" || op == u"OR") {
    out_ += '(';
    Gen(left);
    out_ += op == u"AND" ? " AND " : " OR ";
    Gen(right);
    out_ += ')';
    return;
  }
  if (IsComparison(op)) {
    // Two columns or a column and a value compare under the column's declared collation; any
    // other pair under SQL Server's default one.
    const bool collate = !IsBareColumn(left) && !IsBareColumn(right);
    const SqlType lt = TypeOf(left);
    const SqlType rt = TypeOf(right);
    const std::optional<SqlType> left_as = ComparedAs(lt, rt);
    const std::optional<SqlType> right_as = ComparedAs(rt, lt);
    out_ += '(';
    GenAs(left, left_as);
    if (op == u"!=") {
      out_ += " <> ";
    } else if (op == u"!<") {
      out_ += " >= ";
    } else if (op == u"!>") {
      out_ += " <= ";
    } else {
      out_ += ' ' + Utf8(op) + ' ';
    }
    if (right_as) {
      GenAs(right, right_as);
    } else {
      GenCompared(right, collate && !left_as);
    }
    out_ += ')';
    return;
  }
  if (op == u"+") {
    GenFitted(expr, [&] { GenPlus(left, right); });
    return;
  }
  if (op == u"-" || op == u"*" || op == u"/" || op == u"%") {
    GenFitted(expr, [&] { GenArithmetic(expr); });
    return;
  }
  // A binary operand of & | ^ is the integer of its bytes, in the type of the other operand.
  const auto operand = [&](const Expr& side, const Expr& other) {
    const SqlType other_type = TypeOf(other);
    GenAs(side,
          TypeOf(side).cls == SqlType::Class::kBinary && other_type.cls == SqlType::Class::kInteger
              ? std::optional<SqlType>(other_type)
              : std::nullopt);
  };
  if (op == u"^") {
    // SQLite has no exclusive or; a function evaluates each operand once.
    out_ += "tsql_bitxor(";
    operand(left, right);
    out_ += ", ";
    operand(right, left);
    out_ += ')';
    return;
  }
  out_ += '(';
  operand(left, right);
  out_ += ' ' + Utf8(op) + ' ';
  operand(right, left);
  out_ += ')';
}

// - and * of two numbers are SQLite's; anything else (a text to convert, a type only the data
// tell, a divisor that may be zero) goes through a function that raises SQL Server's errors.
void Generator::GenArithmetic(const Expr& expr) {
  const std::u16string& op = expr.text;
  const Expr& left = *expr.args[0];
  const Expr& right = *expr.args[1];
  const SqlType lt = TypeOf(left);
  const SqlType rt = TypeOf(right);
  if (op == u"%" && (lt.cls == SqlType::Class::kFloat || rt.cls == SqlType::Class::kFloat)) {
    RaiseStatementError(
        expr.pos, oleaut::FromUtf8("The data types " + lt.Declared() + " and " + rt.Declared() +
                                   " are incompatible in the modulo operator."));
  }
  if (op == u"-" && (lt.cls == SqlType::Class::kDate || rt.cls == SqlType::Class::kDate)) {
    return GenDatePlus(left, right, -1);
  }
  const bool numbers = (lt.IsNumeric() || lt.cls == SqlType::Class::kNull) &&
                       (rt.IsNumeric() || rt.cls == SqlType::Class::kNull);
  if (numbers && (op == u"-" || op == u"*")) {
    out_ += '(';
    Gen(left);
    out_ += ' ' + Utf8(op) + ' ';
    Gen(right);
    out_ += ')';
    return;
  }
  // A quotient of a decimal or float type is not an integer division, whatever form SQLite
  // holds the operands in (3000000001 / 2 is 1500000000.5...).
  const SqlType result = TypeOf(expr);
  const bool real = result.cls == SqlType::Class::kDecimal || result.cls == SqlType::Class::kFloat;
  out_ += op == u"-"   ? "tsql_subtract("
          : op == u"*" ? "tsql_multiply("
          : op == u"/" ? (real ? "tsql_divide_real(" : "tsql_divide(")
                       : "tsql_modulo(";
  Gen(left);
  out_ += ", ";
  Gen(right);
  out_ += ')';
}

// A datetime plus or minus a number moves by days (the fraction a part of a day); a text on
// the other side is read as a datetime, as SQL Server converts it.
void Generator::GenDatePlus(const Expr& left, const Expr& right, int sign) {
  const SqlType lt = TypeOf(left);
  const SqlType rt = TypeOf(right);
  const auto no_arithmetic = [](const SqlType& t) { return t.IsTime() || t.name == "datetime2"; };
  if (no_arithmetic(lt) || no_arithmetic(rt)) {
    // Only DATEADD moves a time or a datetime2.
    const SqlType& time = no_arithmetic(lt) ? lt : rt;
    const SqlType& other = no_arithmetic(lt) ? rt : lt;
    RaiseStatementError(
        left.pos,
        oleaut::FromUtf8("Operand type clash: " + (time.IsTime() ? time.Declared() : time.name) +
                         " is incompatible with " +
                         (other.IsKnown() && other.cls != SqlType::Class::kNull
                              ? other.Declared()
                              : std::string("int"))));
  }
  out_ += "tsql_date_plus(";
  GenDateText(left, SqlType::DateTime());
  out_ += ", ";
  GenDateText(right, SqlType::DateTime());
  out_ += sign > 0 ? ", 1)" : ", -1)";
}

// + concatenates texts and adds numbers. Where the operands' types are fixed by the text the
// choice is made here; otherwise tsql_add decides on the values, as SQL Server would on their
// types.
void Generator::GenPlus(const Expr& left, const Expr& right) {
  const SqlType lt = TypeOf(left);
  const SqlType rt = TypeOf(right);
  if (lt.cls == SqlType::Class::kDate || rt.cls == SqlType::Class::kDate) {
    return GenDatePlus(left, right, 1);
  }
  const bool l_text = lt.IsText() || lt.cls == SqlType::Class::kNull;
  const bool r_text = rt.IsText() || rt.cls == SqlType::Class::kNull;
  const bool l_num = lt.IsNumeric() || lt.cls == SqlType::Class::kNull;
  const bool r_num = rt.IsNumeric() || rt.cls == SqlType::Class::kNull;
  const char* op = nullptr;
  if (l_text && r_text && (lt.IsText() || rt.IsText())) {
    op = " || ";
  } else if (l_num && r_num) {
    op = " + ";
  }
  if (op) {
    out_ += '(';
    Gen(left);
    out_ += op;
    Gen(right);
    out_ += ')';
    return;
  }
  out_ += "tsql_add(";
  Gen(left);
  out_ += ", ";
  Gen(right);
  out_ += ')';
}

void Generator::GenBetween(const Expr& expr) {
  const SqlType value = TypeOf(*expr.args[0]);
  const std::optional<SqlType> value_as =
      ListComparedAs(value, {expr.args[1].get(), expr.args[2].get()});
  out_ += '(';
  GenListValue(*expr.args[0], value_as);
  out_ += expr.negated ? " NOT BETWEEN " : " BETWEEN ";
  GenListItem(*expr.args[1], value, value_as);
  out_ += " AND ";
  GenListItem(*expr.args[2], value, value_as);
  out_ += ')';
}

void Generator::GenIn(const Expr& expr) {
  const SqlType value = TypeOf(*expr.args[0]);
  std::vector<const Expr*> items;
  for (std::size_t i = 1; i < expr.args.size(); ++i)
    items.push_back(expr.args[i].get());
  const std::optional<SqlType> value_as = ListComparedAs(value, items);
  out_ += '(';
  GenListValue(*expr.args[0], value_as);
  out_ += expr.negated ? " NOT IN (" : " IN (";
  if (expr.select) {
    GenNestedSelect(*expr.select);
  } else {
    for (std::size_t i = 1; i < expr.args.size(); ++i) {
      if (i > 1) out_ += ", ";
      GenListItem(*expr.args[i], value, value_as);
    }
  }
  out_ += "))";
}

// LIKE under the default collation, with SQL Server's [set] wildcards, trailing blanks of the
// value ignored, and a pattern that may be any expression.
void Generator::GenLike(const Expr& expr) {
  out_ += expr.negated ? "(NOT tsql_like(" : "(tsql_like(";
  Gen(*expr.args[0]);
  out_ += ", ";
  Gen(*expr.args[1]);
  if (expr.args.size() > 2) {
    out_ += ", ";
    Gen(*expr.args[2]);
  }
  out_ += "))";
}

void Generator::GenCase(const Expr& expr) {
  const SqlType result = TypeOf(expr);
  out_ += "CASE";
  std::size_t i = 0;
  const std::size_t pairs_end = expr.args.size() - (expr.has_else ? 1 : 0);
  std::optional<SqlType> operand_type;
  std::optional<SqlType> operand_as;
  if (expr.has_operand) {
    std::vector<const Expr*> whens;
    for (std::size_t w = 1; w + 1 < pairs_end; w += 2)
      whens.push_back(expr.args[w].get());
    operand_type = TypeOf(*expr.args[0]);
    operand_as = ListComparedAs(*operand_type, whens);
    out_ += ' ';
    GenListValue(*expr.args[0], operand_as);
    i = 1;
  }
  for (; i + 1 < pairs_end; i += 2) {
    out_ += " WHEN ";
    if (operand_type) {
      GenListItem(*expr.args[i], *operand_type, operand_as);
    } else {
      Gen(*expr.args[i]);
    }
    out_ += " THEN ";
    GenBranch(*expr.args[i + 1], result);
  }
  if (expr.has_else) {
    out_ += " ELSE ";
    GenBranch(*expr.args.back(), result);
  }
  out_ += " END";
}

void Generator::GenConvert(const Expr& expr) {
  if (IsVariantCast(expr)) return GenVariantCast(expr);
  const std::optional<SqlType> type = ResolveType(expr.type, true);
  if (!type) RaiseUnsupported(batch_, expr.type.pos, u"Conversion to the type " + expr.type.name);
  out_ += expr.lenient ? "tsql_try_convert('" : "tsql_convert('";
  out_ += type->Declared();
  out_ += "', ";
  if (IsVariantCast(*expr.args[0])) CheckVariantCast(*expr.args[0]);
  const Expr& value = VariantBase(*expr.args[0]);  // a sql_variant converts from its base type
  const SqlType value_type = TypeOf(value);
  if (type->IsText() && value_type.IsMoney() && expr.args.size() > 1) {
    // Money's styles: 0 two decimals, 1 with thousands commas, 2 four decimals.
    out_ += "tsql_money_text(";
    Gen(value);
    out_ += ", ";
    Pin(*expr.args[1]);
    Gen(*expr.args[1]);
    out_ += "))";
    return;
  }
  // A decimal becomes text with every digit of its scale ("1.5000000000"), money with two
  // ("1.50"); a column or a sum arrives as a plain number, so its type is given to it first.
  std::optional<SqlType> value_as;
  if (type->IsText() && value_type.cls == SqlType::Class::kDecimal && expr.args.size() == 1) {
    if (value_type.IsMoney()) {
      value_as = SqlType::Decimal(19, 2);
    } else if (value.kind != ExprKind::kConvert) {
      value_as = value_type;
    }
  }
  if (value_type.name == "datetimeoffset" && type->cls == SqlType::Class::kDate &&
      type->name != "datetimeoffset") {
    // Another date type takes a datetimeoffset's local date and time.
    out_ += "tsql_offset_local(";
    Gen(value);
    out_ += ')';
  } else if (value_as) {
    GenAs(value, value_as);
  } else {
    GenConverted(value, *type, expr.args.size() > 1 ? expr.args[1].get() : nullptr);
  }
  if (expr.args.size() == 1 && type->IsText() && value_type.name == "date") {
    out_ += ", 23";  // a date alone becomes "yyyy-mm-dd"
  } else if (expr.args.size() == 1 && type->IsText() &&
             ((value_type.cls == SqlType::Class::kDate && !value_type.IsTime() &&
               value_type.name != "datetime2" && value_type.name != "datetimeoffset") ||
              value_type.cls == SqlType::Class::kFloat)) {
    // A datetime or a float becomes text in style 0 unless told otherwise; a datetime2 keeps
    // its ISO form.
    out_ += ", 0";
  }
  if (expr.args.size() > 1) {
    out_ += ", ";
    Pin(*expr.args[1]);  // the style decides the form of the result
    Gen(*expr.args[1]);
  }
  out_ += ')';
}

}  // namespace tsql::generation
