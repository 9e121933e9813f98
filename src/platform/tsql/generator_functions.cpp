// Function calls: the built-in functions mapped to SQLite's or the runtime's, aggregates, the
// date functions with their datepart words, and the functions with rules of their own.
#include "platform/tsql/engine_names.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

void Generator::ExpectArgs(const Expr& expr, std::size_t low, std::size_t high) {
  if (expr.star || expr.args.size() < low || expr.args.size() > high) {
    RaiseSyntaxError(batch_, expr.pos,
                     u"the function " + expr.text + u" takes " +
                         oleaut::FromUtf8(std::to_string(low)) +
                         (low == high ? u"" : u" to " + oleaut::FromUtf8(std::to_string(high))) +
                         u" argument(s)");
  }
  if (expr.distinct) RaiseUnsupported(batch_, expr.pos, u"DISTINCT in " + expr.text);
}

void Generator::GenCall(const char* name, const Expr& expr) {
  out_ += name;
  out_ += '(';
  for (std::size_t i = 0; i < expr.args.size(); ++i) {
    if (i > 0) out_ += ", ";
    Gen(*expr.args[i]);
  }
  out_ += ')';
}

bool Generator::GenMappedCall(std::span<const FunctionMap> functions, const std::u16string& name,
                              const Expr& expr) {
  for (const FunctionMap& f : functions) {
    if (f.tsql != name) continue;
    ExpectArgs(expr, f.low, f.high);
    GenCall(f.sqlite, expr);
    return true;
  }
  return false;
}

void Generator::GenFunction(const Expr& expr) {
  static constexpr FunctionMap kFunctions[] = {
      {u"nullif", "nullif", 2, 2},
      {u"ltrim", "ltrim", 1, 2},
      {u"rtrim", "rtrim", 1, 2},
      {u"upper", "tsql_upper", 1, 1},
      {u"lower", "tsql_lower", 1, 1},
      {u"substring", "tsql_substring", 3, 3},
      {u"left", "tsql_left", 2, 2},
      {u"right", "tsql_right", 2, 2},
      {u"charindex", "tsql_charindex", 2, 3},
      {u"replace", "tsql_replace", 3, 3},
      {u"getdate", "tsql_getdate", 0, 0},
      {u"abs", "abs", 1, 1},
      {u"round", "tsql_round", 2, 3},
      {u"floor", "tsql_floor", 1, 1},
      {u"ceiling", "tsql_ceiling", 1, 1},
      {u"sign", "sign", 1, 1},
      {u"space", "tsql_space", 1, 1},
      {u"replicate", "tsql_replicate", 2, 2},
      {u"ascii", "unicode", 1, 1},
      {u"unicode", "tsql_unicode", 1, 1},
      {u"char", "tsql_char", 1, 1},
      {u"nchar", "tsql_nchar", 1, 1},
      {u"isnumeric", "tsql_isnumeric", 1, 1},
      {u"isdate", "tsql_isdate", 1, 1},
      {u"datefromparts", "tsql_datefromparts", 3, 3},
      {u"str", "tsql_str", 1, 3},
      {u"stuff", "tsql_stuff", 4, 4},
      {u"patindex", "tsql_patindex", 2, 2},
      {u"reverse", "tsql_reverse", 1, 1},
      {u"concat", "tsql_concat", 2, 254},
      {u"power", "tsql_power", 2, 2},
      {u"year", "tsql_year", 1, 1},
      {u"month", "tsql_month", 1, 1},
      {u"day", "tsql_day", 1, 1},
      {u"scope_identity", "tsql_identity", 0, 0},
  };
  const std::u16string name = LowerAscii(expr.text);
  if (GenDateReadingFunction(name, expr)) return;
  if (GenBuiltinFunction(name, expr)) return;
  if (GenMathFunction(name, expr)) return;
  if (GenSystemFunction(name, expr)) return;
  if (GenConcatFunction(name, expr)) return;
  if (GenWindowFunction(name, expr)) return;
  if (GenSessionFunction(name, expr)) return;
  if (name == u"count" || name == u"sum" || name == u"avg" || name == u"min" || name == u"max") {
    GenAggregate(name, expr);
    return;
  }
  if (name == u"count_big") {
    GenAggregate(u"count", expr);
    return;
  }
  if (name == u"iif" || name == u"choose") {
    GenChoice(name, expr);
    return;
  }
  if (name == u"square") {
    ExpectArgs(expr, 1, 1);
    out_ += "tsql_power(CAST(";
    Gen(*expr.args[0]);
    out_ += " AS REAL), 2)";
    return;
  }
  if (name == u"quotename") {
    GenQuoteName(expr);
    return;
  }
  if (name == u"object_id") {
    GenObjectId(expr);
    return;
  }
  if (name == u"isnull") {
    GenIsNull(expr);
    return;
  }
  if (name == u"len" || name == u"datalength") {
    GenLength(name, expr);
    return;
  }
  if (name == u"datetrunc") {
    GenDateTrunc(expr);
    return;
  }
  if (name == u"dateadd" || name == u"datediff" || name == u"datediff_big" || name == u"datepart" ||
      name == u"datename") {
    GenDateFunction(name, expr);
    return;
  }
  if (name == u"nullif" && expr.args.size() == 2 && TypeOf(*expr.args[0]).IsText() &&
      TypeOf(*expr.args[1]).IsText()) {
    // Two texts are equal as the default collation sees them: NULLIF('a', 'A ') is NULL.
    out_ += "nullif(";
    Gen(*expr.args[0]);
    out_ += ", ";
    Gen(*expr.args[1]);
    out_ += " COLLATE TSQL)";
    return;
  }
  if (name == u"coalesce") {
    ExpectArgs(expr, 2, 100);
    const SqlType result = TypeOf(expr);
    out_ += "coalesce(";
    for (std::size_t i = 0; i < expr.args.size(); ++i) {
      if (i > 0) out_ += ", ";
      GenBranch(*expr.args[i], result);
    }
    out_ += ')';
    return;
  }
  for (const FunctionMap& f : kFunctions) {
    if (f.tsql != name) continue;
    ExpectArgs(expr, f.low, f.high);
    if (name == u"round" || name == u"abs" || name == u"power") {
      // ROUND, ABS and POWER keep their argument's type: 999.5 in decimal(4,1) rounds out of
      // it, the int -2147483648 has no absolute value in an int, POWER(10, 10) is no int.
      GenFitted(expr, [&] { GenCall(f.sqlite, expr); });
      return;
    }
    GenCall(f.sqlite, expr);
    return;
  }
  RaiseUnsupported(batch_, expr.pos, u"The function " + expr.text);
}

void Generator::GenAggregate(const std::u16string& name, const Expr& expr) {
  const std::size_t start = out_.size();
  out_ += Utf8(name);
  out_ += '(';
  if (expr.star) {
    if (name != u"count") RaiseSyntaxError(batch_, expr.pos, u"only COUNT takes *");
    out_ += "*)";
    if (expr.over) GenOver(expr);
    return;
  }
  if (expr.args.size() != 1) {
    RaiseSyntaxError(batch_, expr.pos, u"the aggregate " + expr.text + u" takes one argument");
  }
  if (expr.distinct) {
    if (expr.over) {
      RaiseStatementError(expr.pos, u"Use of DISTINCT is not allowed with the OVER clause.");
    }
    out_ += "DISTINCT ";
  }
  GenOutsideWindows(*expr.args[0]);
  if (expr.distinct && NeedsCollation(*expr.args[0])) out_ += " COLLATE TSQL";
  out_ += ')';
  if (expr.over) GenOver(expr);
  // The average of integers is an integer on SQL Server, its fraction dropped, and their sum
  // must fit the average's type: the sum divided by the count, the same rows in both.
  if (name == u"avg" && TypeOf(*expr.args[0]).cls == SqlType::Class::kInteger) {
    const std::string rows = out_.substr(start + name.size());
    const SqlType result = TypeOf(expr);
    out_.resize(start);
    out_ += "(tsql_fit(sum" + rows + ", '" +
            (result.cls == SqlType::Class::kInteger ? result.name : std::string("int")) +
            "') / count" + rows + ')';
  }
  if (name == u"sum" && TypeOf(expr).cls == SqlType::Class::kInteger) {
    out_.insert(start, "tsql_fit(");
    out_ += ", '" + TypeOf(expr).name + "')";
  }
}

// The datepart a word names, as the runtime knows it ("month" for mm); SQL Server's error for
// any other word.
const char* Generator::DatePartName(const Expr& part) {
  static constexpr std::pair<std::u16string_view, const char*> kParts[] = {
      {u"year", "year"},       {u"yy", "year"},
      {u"yyyy", "year"},       {u"quarter", "quarter"},
      {u"qq", "quarter"},      {u"q", "quarter"},
      {u"month", "month"},     {u"mm", "month"},
      {u"m", "month"},         {u"dayofyear", "dayofyear"},
      {u"dy", "dayofyear"},    {u"y", "dayofyear"},
      {u"day", "day"},         {u"dd", "day"},
      {u"d", "day"},           {u"week", "week"},
      {u"wk", "week"},         {u"ww", "week"},
      {u"weekday", "weekday"}, {u"dw", "weekday"},
      {u"w", "weekday"},       {u"hour", "hour"},
      {u"hh", "hour"},         {u"minute", "minute"},
      {u"mi", "minute"},       {u"n", "minute"},
      {u"second", "second"},   {u"ss", "second"},
      {u"s", "second"},        {u"millisecond", "millisecond"},
      {u"ms", "millisecond"},
  };
  // The parts of the finer and the offset-aware types.
  static constexpr std::pair<std::u16string_view, const char*> kFinerParts[] = {
      {u"microsecond", "microsecond"}, {u"mcs", "microsecond"},   {u"nanosecond", "nanosecond"},
      {u"ns", "nanosecond"},           {u"iso_week", "iso_week"}, {u"isowk", "iso_week"},
      {u"isoww", "iso_week"},          {u"tzoffset", "tzoffset"}, {u"tz", "tzoffset"},
  };
  const char* canonical = nullptr;
  if (part.kind == ExprKind::kColumn && part.names.size() == 1) {
    const std::u16string word = LowerAscii(part.names[0]);
    for (const auto& [written, known] : kParts) {
      if (word == written) canonical = known;
    }
    for (const auto& [written, known] : kFinerParts) {
      if (word == written) canonical = known;
    }
  }
  if (!canonical) {
    RaiseStatementError(part.pos, u"'" + (part.names.empty() ? part.text : part.names.back()) +
                                      u"' is not a recognized datepart option.");
  }
  return canonical;
}

// DATEADD(day, 1, d) and the others: the part is a word, not a value.
void Generator::GenDateFunction(const std::u16string& name, const Expr& expr) {
  const bool two = name == u"datepart" || name == u"datename";
  ExpectArgs(expr, two ? 2 : 3, two ? 2 : 3);
  const char* canonical = DatePartName(*expr.args[0]);
  CheckDatePart(name, canonical, expr);
  // DATEADD of a time is a time, which goes round the clock.
  const SqlType moved = name == u"dateadd" ? TypeOf(*expr.args[2]) : SqlType::Unknown();
  if (moved.IsTime()) out_ += "tsql_convert('" + moved.Declared() + "', ";
  out_ += "tsql_" + Utf8(name) + "('" + canonical + "'";
  for (std::size_t i = 1; i < expr.args.size(); ++i) {
    out_ += ", ";
    // A text is read as a datetime by DATEADD, as a datetime2 by the others.
    if (name == u"dateadd" && i == 1) {
      Gen(*expr.args[i]);
    } else {
      GenDateText(*expr.args[i], name == u"dateadd" ? SqlType::DateTime() : SqlType::Date());
    }
  }
  // A datetime2 or datetimeoffset moves by 100-nanosecond ticks and keeps its digits.
  if (moved.HasFractionScale() && !moved.IsTime()) out_ += ", " + std::to_string(moved.scale);
  out_ += ')';
  if (moved.IsTime()) out_ += ')';
}

// LEN of a number counts the characters of its text as SQL Server writes it (12.50 has five),
// DATALENGTH of a national text two bytes a character.
void Generator::GenLength(const std::u16string& name, const Expr& expr) {
  ExpectArgs(expr, 1, 1);
  const Expr& value = *expr.args[0];
  const SqlType type = TypeOf(value);
  if (name == u"datalength") {
    out_ += "tsql_datalength(";
    Gen(value);
    out_ += type.IsText() && type.name[0] == 'n' ? ", 1" : ", 0";
    if (const auto bytes = StorageBytes(type)) out_ += ", " + std::to_string(*bytes);
    out_ += ')';
    return;
  }
  out_ += "tsql_len(";
  if (type.cls == SqlType::Class::kFloat || type.cls == SqlType::Class::kDecimal) {
    out_ += "tsql_convert('varchar(8000)', ";
    GenAs(value, type.cls == SqlType::Class::kDecimal && !type.IsMoney() &&
                         value.kind != ExprKind::kConvert
                     ? std::optional<SqlType>(type)
                     : std::nullopt);
    out_ += type.cls == SqlType::Class::kFloat ? ", 0))" : "))";
    return;
  }
  Gen(value);
  out_ += ')';
}

// IIF(c, a, b) and CHOOSE(i, a, b, ...) are CASE in other words; their branches take the
// highest type, as CASE's do.
void Generator::GenChoice(const std::u16string& name, const Expr& expr) {
  const bool iif = name == u"iif";
  ExpectArgs(expr, iif ? 3 : 2, iif ? 3 : 255);
  const SqlType result = TypeOf(expr);
  out_ += iif ? "CASE WHEN " : "CASE ";
  Gen(*expr.args[0]);
  for (std::size_t i = 1; i < expr.args.size(); ++i) {
    if (iif) {
      out_ += i == 1 ? " THEN " : " ELSE ";
    } else {
      out_ += " WHEN " + std::to_string(i) + " THEN ";
    }
    GenBranch(*expr.args[i], result);
  }
  out_ += " END";
}

// QUOTENAME(s [, q]): s between [ ] (or the quote given) with the closing one doubled; NULL
// for a name longer than 128 characters, as SQL Server gives.
void Generator::GenQuoteName(const Expr& expr) {
  ExpectArgs(expr, 1, 2);
  std::u16string open = u"[";
  if (expr.args.size() > 1) {
    const Expr& quote = *expr.args[1];
    if (quote.kind != ExprKind::kString || quote.text.size() != 1) {
      RaiseUnsupported(batch_, quote.pos,
                       u"QUOTENAME with a quote that is not a literal character");
    }
    open = quote.text;
  }
  const std::u16string close = open == u"["   ? u"]"
                               : open == u"(" ? u")"
                               : open == u"<" ? u">"
                               : open == u"{" ? u"}"
                                              : open;
  if (close != u"]" && close != u"'" && close != u"\"" && close != u")" && close != u">" &&
      close != u"}" && close != u"`") {
    out_ += "NULL";
    return;
  }
  out_ += "(SELECT CASE WHEN length(v) > 128 THEN NULL ELSE ";
  AppendStringLiteral(out_, open);
  out_ += " || replace(v, ";
  AppendStringLiteral(out_, close);
  out_ += ", ";
  AppendStringLiteral(out_, close + close);
  out_ += ") || ";
  AppendStringLiteral(out_, close);
  out_ += " END FROM (SELECT ";
  Gen(*expr.args[0]);
  out_ += " AS v))";
}

// ISNULL has its first argument's type: the second is converted to it, cut to its length
// (isnull(FName, 'longer') keeps FName's length) or to its number ('' beside an int is 0).
void Generator::GenIsNull(const Expr& expr) {
  ExpectArgs(expr, 2, 2);
  const SqlType first = TypeOf(*expr.args[0]);
  const SqlType second = TypeOf(*expr.args[1]);
  const bool longer =
      first.IsText() && first.length >= 0 && (second.length < 0 || second.length > first.length);
  const bool convert = (first.IsKnown() && first.cls != SqlType::Class::kNull && second.IsKnown() &&
                        second.cls != SqlType::Class::kNull &&
                        (first.cls != second.cls || (second.IsText() && longer))) ||
                       DiffersInPrecision(second, first);
  out_ += "ifnull(";
  Gen(*expr.args[0]);
  out_ += ", ";
  GenAs(*expr.args[1], convert ? std::optional<SqlType>(first) : std::nullopt);
  out_ += ')';
}

// object_id('tempdb..#name') finds the connection's temporary table, object_id('name') a
// permanent object; the answer is an id or NULL, as on SQL Server.
void Generator::GenObjectId(const Expr& expr) {
  ExpectArgs(expr, 1, 2);
  const Expr& arg = *expr.args[0];
  if (arg.kind != ExprKind::kString) {
    RaiseUnsupported(batch_, arg.pos, u"object_id of a name that is not a literal");
  }
  std::vector<std::u16string> parts{std::u16string()};
  for (char16_t c : arg.text) {
    if (c == u'.') {
      parts.emplace_back();
    } else if (c != u'[' && c != u']' && c != u'"') {
      parts.back() += c;
    }
  }
  const std::u16string& own = parts.back();
  const bool in_tempdb = parts.size() >= 3 && oleaut::EqualsNoCase(parts[0], u"tempdb");
  const bool temp_name = !own.empty() && own[0] == u'#';
  if (own.empty() || parts.size() > 3 || temp_name != in_tempdb ||
      (!temp_name && tables_.IsEngineTable(own))) {
    // A temporary table is only found through tempdb, a permanent object only outside it; SQL
    // Server has none of SQLite's own tables.
    out_ += "NULL";
    return;
  }
  out_ += temp_name ? "(SELECT rowid FROM temp.sqlite_master WHERE name = "
                    : "(SELECT rowid FROM main.sqlite_master WHERE name = ";
  AppendStringLiteral(out_, own);
  out_ += " COLLATE NOCASE AND type IN ('table', 'view', 'index', 'trigger'))";
}

}  // namespace tsql::generation
