#include "platform/tsql/sql_type.h"

#include <algorithm>

#include "platform/oleaut/text.h"
#include "platform/tsql/token.h"

namespace tsql {
namespace {

int Rank(const SqlType& type) {
  using C = SqlType::Class;
  switch (type.cls) {
    case C::kUnknown:
      return -1;
    case C::kNull:
      return 0;
    case C::kBinary:
      return 1;
    case C::kText:
      return type.name[0] == 'n' ? 3 : 2;
    case C::kBit:
      return 4;
    case C::kInteger:
      return type.name == "tinyint" ? 5 : type.name == "smallint" ? 6 : type.name == "int" ? 7 : 8;
    case C::kDecimal:
      return type.IsMoney() ? 9 : 10;
    case C::kFloat:
      return type.name == "real" ? 11 : 12;
    case C::kDate:
      // time, date, smalldatetime, datetime, datetime2, from lowest.
      return type.name == "time"            ? 13
             : type.name == "date"          ? 14
             : type.name == "smalldatetime" ? 15
             : type.name == "datetime"      ? 16
             : type.name == "datetime2"     ? 17
                                            : 18;  // datetimeoffset
  }
  return -1;
}

// Digits before the point that an integer type can hold, for decimal arithmetic.
int IntegerDigits(const SqlType& type) {
  if (type.name == "tinyint") return 3;
  if (type.name == "smallint") return 5;
  if (type.name == "bigint") return 19;
  return 10;
}

SqlType AsDecimal(const SqlType& type) {
  if (type.cls == SqlType::Class::kDecimal) return type;
  if (type.cls == SqlType::Class::kBit) return SqlType::Decimal(1, 0);
  return SqlType::Decimal(IntegerDigits(type), 0);
}

}  // namespace

std::string QuoteName(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

SqlType SqlType::Varchar(int length, bool national) {
  return {Class::kText, national ? "nvarchar" : "varchar", std::clamp(length, 1, 8000), 0, 0};
}

SqlType SqlType::Decimal(int precision, int scale) {
  precision = std::clamp(precision, 1, 38);
  scale = std::clamp(scale, 0, precision);
  return {Class::kDecimal, "decimal", 0, precision, scale};
}

std::string SqlType::Declared() const {
  switch (cls) {
    case Class::kUnknown:
    case Class::kNull:
      return {};
    case Class::kDate:
      // datetime2 always writes its scale: the runtime reads "datetime2" alone as the three
      // digits of a column made when the type kept milliseconds.
      if (HasFractionScale() && (scale != kTimeScale || name == "datetime2")) {
        return name + "(" + std::to_string(scale) + ")";
      }
      return name;
    case Class::kDecimal:
      if (IsMoney()) return name;
      return name + "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
    case Class::kText:
    case Class::kBinary:
      if (name == "text" || name == "ntext" || name == "image" || name == "uniqueidentifier") {
        return name;
      }
      return name + "(" + (length < 0 ? std::string("max") : std::to_string(length)) + ")";
    default:
      return name;
  }
}

std::string SqlType::SqliteDeclared() const {
  // The word "blob" gives the column no affinity: a text stays a text (NUMERIC affinity would
  // turn '20240305' into a number) and a number stays a number, so that the column's triggers
  // convert either as SQL Server converts it to a date.
  // A datetime2 column always writes its scale: "datetime2 blob" alone is a column made when
  // datetime2 kept milliseconds only, which still holds three digits.
  if ((HasFractionScale() && scale != kTimeScale) || name == "datetime2") {
    return name + " blob(" + std::to_string(scale) + ")";
  }
  if (cls == Class::kDate) return Declared() + " blob";
  if (length < 0) {
    if (cls == Class::kBinary) return "image";
    return name[0] == 'n' ? "ntext" : "text";
  }
  return Declared();
}

std::optional<SqlType> ResolveType(const TypeName& type, bool in_convert) {
  const std::string name = oleaut::ToUtf8(type.name);
  const auto& args = type.args;
  const auto arg = [&](std::size_t i, int fallback) {
    return i < args.size() ? args[i] : fallback;
  };
  SqlType result;
  result.name = name;
  using C = SqlType::Class;
  if (name == "bit") {
    result.cls = C::kBit;
  } else if (name == "tinyint" || name == "smallint" || name == "int" || name == "bigint") {
    result.cls = C::kInteger;
  } else if (name == "integer") {
    result = SqlType::Int();
  } else if (name == "decimal" || name == "numeric" || name == "dec") {
    if (args.size() > 2 || arg(0, 18) < 1 || arg(0, 18) > 38 || arg(1, 0) > arg(0, 18)) {
      return std::nullopt;
    }
    result = SqlType::Decimal(arg(0, 18), arg(1, 0));
    result.name = name == "numeric" ? "numeric" : "decimal";
  } else if (name == "money") {
    result = {C::kDecimal, "money", 0, 19, 4};
  } else if (name == "smallmoney") {
    result = {C::kDecimal, "smallmoney", 0, 10, 4};
  } else if (name == "float" || name == "real") {
    result.cls = C::kFloat;
    if (name == "float" && !args.empty() && args[0] <= 24) result.name = "real";
  } else if (name == "datetime" || name == "smalldatetime" || name == "date") {
    result.cls = C::kDate;
  } else if (name == "datetimeoffset" || name == "datetime2") {
    if (args.size() > 1 || arg(0, SqlType::kTimeScale) > SqlType::kTimeScale) return std::nullopt;
    result.cls = C::kDate;
    result.scale = arg(0, SqlType::kTimeScale);
  } else if (name == "time") {
    // time(n) keeps n digits of the second's fraction, 7 when not told.
    if (args.size() > 1 || arg(0, SqlType::kTimeScale) > SqlType::kTimeScale) return std::nullopt;
    result.cls = C::kDate;
    result.scale = arg(0, SqlType::kTimeScale);
  } else if (name == "char" || name == "varchar" || name == "nchar" || name == "nvarchar" ||
             name == "binary" || name == "varbinary") {
    result.cls = name.find("binary") != std::string::npos ? C::kBinary : C::kText;
    const int limit = name[0] == 'n' ? 4000 : 8000;
    result.length = type.max ? -1 : arg(0, in_convert ? 30 : 1);
    if (result.length == 0 || result.length > limit) return std::nullopt;
    if (type.max && (name == "char" || name == "nchar" || name == "binary")) return std::nullopt;
  } else if (name == "text" || name == "ntext") {
    result.cls = C::kText;
    result.length = -1;
  } else if (name == "image") {
    result.cls = C::kBinary;
    result.length = -1;
  } else if (name == "sysname") {
    result = SqlType::Varchar(128, true);
  } else if (name == "uniqueidentifier") {
    result.cls = C::kText;
    result.length = 36;
  } else {
    return std::nullopt;
  }
  return result;
}

std::optional<SqlType> ParseDeclaredType(std::string_view declared) {
  TypeName name;
  std::size_t i = 0;
  while (i < declared.size() && declared[i] != '(' && declared[i] != ' ') {
    char c = declared[i++];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    name.name += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  // "time blob(3)": the words after the name do not change the type.
  const std::size_t name_end = i;
  while (i < declared.size() && declared[i] != '(')
    ++i;
  if (name.name == u"datetime2" && i == declared.size() && name_end < declared.size()) {
    // "datetime2 blob": a column made when datetime2 kept milliseconds; its triggers still
    // store three digits.
    name.args.push_back(3);
  }
  if (i < declared.size() && declared[i] == '(') {
    std::string inside(declared.substr(i + 1));
    const std::size_t close = inside.find(')');
    if (close == std::string::npos) return std::nullopt;
    inside.resize(close);
    if (inside == "max" || inside == "MAX") {
      name.max = true;
    } else {
      std::size_t at = 0;
      while (at < inside.size()) {
        std::size_t used = 0;
        try {
          name.args.push_back(std::stoi(inside.substr(at), &used));
        } catch (...) {
          return std::nullopt;
        }
        at += used;
        while (at < inside.size() && (inside[at] == ',' || inside[at] == ' '))
          ++at;
      }
    }
  }
  return ResolveType(name, false);
}

std::string ColumnClauses(std::u16string_view column, const SqlType& type, bool not_null) {
  std::string out = " " + type.SqliteDeclared();
  if (not_null) out += " NOT NULL";
  if (type.IsText()) out += " COLLATE TSQL";
  if ((type.IsText() || type.cls == SqlType::Class::kBinary) && type.length > 0 &&
      type.name != "uniqueidentifier") {
    const std::string quoted = QuoteName(oleaut::ToUtf8(column));
    out += " CONSTRAINT " +
           QuoteName(oleaut::ToUtf8(column) + " is longer than " + type.Declared()) + " CHECK (" +
           (type.IsText() ? "tsql_len(" + quoted + ")" : "length(CAST(" + quoted + " AS BLOB))") +
           " <= " + std::to_string(type.length) + ")";
  }
  return out;
}

bool DiffersInPrecision(const SqlType& from, const SqlType& to) {
  return to.HasFractionScale() && from.cls == SqlType::Class::kDate &&
         (from.name != to.name || from.scale != to.scale);
}

bool ConvertsToTextWithoutError(const SqlType& from, const SqlType& to) {
  if (!to.IsText()) return false;
  int longest = 0;
  switch (from.cls) {
    case SqlType::Class::kText:
      if (from.length < 0) return to.length < 0;
      longest = from.length;
      break;
    case SqlType::Class::kDecimal:
      longest = from.precision + 2;  // a sign and a point
      break;
    case SqlType::Class::kInteger:
      longest = from.name == "bigint"     ? 20
                : from.name == "smallint" ? 6
                : from.name == "tinyint"  ? 3
                                          : 11;
      break;
    case SqlType::Class::kBit:
      longest = 1;
      break;
    default:
      return false;
  }
  return to.length < 0 || longest <= to.length;
}

bool HasStoredForm(const SqlType& type) {
  return type.cls == SqlType::Class::kDate || type.cls == SqlType::Class::kDecimal ||
         (type.IsText() && type.length > 0);
}

namespace {

// The GLOB pattern of a stored time of day with `scale` digits of the second's fraction.
std::string TimeOfDayForm(int scale) {
  std::string form = "[0-2][0-9]:[0-5][0-9]:[0-5][0-9]";
  if (scale > 0) form += '.';
  for (int i = 0; i < scale; ++i)
    form += "[0-9]";
  return form;
}

}  // namespace

std::vector<std::string> NormalizingTriggers(std::u16string_view table, std::u16string_view column,
                                             const SqlType& type) {
  if (!HasStoredForm(type)) return {};
  // A date-time holds one text form ("YYYY-MM-DD HH:MM:SS.fff") so that dates sort and compare
  // as dates; a decimal holds its value rounded to its scale. Another value is converted as SQL
  // Server converts a value assigned to the column, and one it cannot hold fails the statement.
  const std::string value = "NEW." + QuoteName(oleaut::ToUtf8(column));
  const std::string convert = "tsql_convert('" + type.Declared() + "', " + value + ")";
  std::string condition;
  if (type.IsTime()) {
    // A time holds "HH:MM:SS" and its fraction's digits.
    condition = "(typeof(" + value + ") <> 'text' OR " + value + " NOT GLOB '" +
                TimeOfDayForm(type.scale) + "')";
  } else if (type.cls == SqlType::Class::kDate) {
    // The form says what the type keeps: datetime 1/300 of a second (milliseconds ending in 0,
    // 3 or 7), smalldatetime whole minutes, date the day alone.
    std::string form = "[0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9] ";
    if (type.name == "date") {
      form += "00:00:00.000";
    } else if (type.name == "datetimeoffset") {
      form += TimeOfDayForm(type.scale) + " [+-][0-1][0-9]:[0-5][0-9]";
    } else if (type.name == "smalldatetime") {
      form += "[0-2][0-9]:[0-5][0-9]:00.000";
    } else if (type.name == "datetime2") {
      form += TimeOfDayForm(type.scale);
    } else {
      form += "[0-2][0-9]:[0-5][0-9]:[0-5][0-9].[0-9][0-9][037]";
    }
    condition = "(typeof(" + value + ") <> 'text' OR " + value + " NOT GLOB '" + form + "')";
  } else if (type.cls == SqlType::Class::kDecimal) {
    condition = value + " IS NOT " + convert;
  } else if (type.IsText() && type.length > 0) {
    // char(n) is padded with blanks to n; blanks beyond n (the only text the length check lets
    // past it) are cut, as SQL Server cuts them.
    const bool padded = type.name == "char" || type.name == "nchar";
    condition =
        "tsql_text_length(" + value + (padded ? ") <> " : ") > ") + std::to_string(type.length);
  } else {
    return {};
  }
  const bool temp = IsTemporaryName(table);
  const std::string quoted_table = QuoteName(oleaut::ToUtf8(table));
  std::vector<std::string> triggers;
  for (const bool update : {false, true}) {
    std::string sql = temp ? "CREATE TEMP TRIGGER " : "CREATE TRIGGER ";
    sql += QuoteName(oleaut::ToUtf8(std::u16string(table) + u"$" + std::u16string(column) +
                                    (update ? u"$update" : u"$insert")));
    sql += update ? " AFTER UPDATE OF " + QuoteName(oleaut::ToUtf8(column)) : " AFTER INSERT";
    sql += " ON " + quoted_table + " FOR EACH ROW WHEN " + value + " IS NOT NULL AND " + condition +
           " BEGIN UPDATE " + quoted_table + " SET " + QuoteName(oleaut::ToUtf8(column)) + " = " +
           convert + " WHERE rowid = NEW.rowid; END";
    triggers.push_back(std::move(sql));
  }
  return triggers;
}

SqlType ArithmeticResult(const SqlType& a, const SqlType& b, char16_t op) {
  using C = SqlType::Class;
  if (a.cls == C::kNull) return b.IsKnown() ? b : a;
  if (b.cls == C::kNull) return a;
  if (!a.IsKnown() || !b.IsKnown()) return SqlType::Unknown();
  if (op == u'+' && a.IsText() && b.IsText()) {
    const bool national = a.name[0] == 'n' || b.name[0] == 'n';
    if (a.length < 0 || b.length < 0) {
      SqlType result = SqlType::Varchar(1, national);
      result.length = -1;
      return result;
    }
    return SqlType::Varchar(a.length + b.length, national);
  }
  if (op == u'&' || op == u'|' || op == u'^') return HigherType(a, b);
  const SqlType high = HigherType(a, b);
  // Money with money or an integer stays money; only decimal(p,s) takes the rules below.
  if (high.cls != C::kDecimal || high.IsMoney() || (a.cls != C::kDecimal && b.cls != C::kDecimal)) {
    return high.IsText() ? SqlType::Unknown() : high;
  }
  const SqlType x = AsDecimal(a.IsText() ? high : a);
  const SqlType y = AsDecimal(b.IsText() ? high : b);
  int precision = 0;
  int scale = 0;
  switch (op) {
    case u'+':
    case u'-':
      scale = std::max(x.scale, y.scale);
      precision = scale + std::max(x.precision - x.scale, y.precision - y.scale) + 1;
      break;
    case u'*':
      precision = x.precision + y.precision + 1;
      scale = x.scale + y.scale;
      break;
    case u'%':
      scale = std::max(x.scale, y.scale);
      precision = std::min(x.precision - x.scale, y.precision - y.scale) + scale;
      break;
    default:
      scale = std::max(6, x.scale + y.precision + 1);
      precision = x.precision - x.scale + y.scale + scale;
      break;
  }
  if (precision > 38) {
    // Beyond 38 digits the scale gives way to the integral part, but not below 6 digits for a
    // product or quotient; a sum keeps its scale while its integral part still fits.
    if (op == u'+' || op == u'-') {
      const int integral = std::max(x.precision - x.scale, y.precision - y.scale);
      scale = std::min(scale, std::max(0, 38 - integral));
    } else {
      scale = std::max(std::min(scale, 6), scale - (precision - 38));
    }
    precision = 38;
  }
  return SqlType::Decimal(precision, scale);
}

SqlType HigherType(const SqlType& a, const SqlType& b) {
  if (!a.IsKnown() || !b.IsKnown()) return SqlType::Unknown();
  const int ra = Rank(a);
  const int rb = Rank(b);
  if (a.IsText() && b.IsText()) {
    SqlType result = ra >= rb ? a : b;
    result.length = (a.length < 0 || b.length < 0) ? -1 : std::max(a.length, b.length);
    return result;
  }
  if (a.HasFractionScale() && a.name == b.name) {
    // time(3) and time(7) meet at time(7), datetime2 likewise.
    return a.scale >= b.scale ? a : b;
  }
  if (a.cls == SqlType::Class::kDecimal && b.cls == SqlType::Class::kDecimal && !a.IsMoney() &&
      !b.IsMoney()) {
    const int scale = std::max(a.scale, b.scale);
    return SqlType::Decimal(scale + std::max(a.precision - a.scale, b.precision - b.scale), scale);
  }
  return ra >= rb ? a : b;
}

}  // namespace tsql
