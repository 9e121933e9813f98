// The later built-in functions: dates from their parts and EOMONTH, CONCAT_WS, TRANSLATE, TRIM,
// STRING_ESCAPE, FORMAT, the JSON functions, STRING_AGG with WITHIN GROUP, and the FOR XML
// PATH subquery that joins its rows into one text.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

namespace {

constexpr FunctionMap kBuiltins[] = {
    {u"eomonth", "tsql_eomonth", 1, 2},
    {u"datetimefromparts", "tsql_datetimefromparts", 7, 7},
    {u"datetime2fromparts", "tsql_datetime2fromparts", 8, 8},
    {u"smalldatetimefromparts", "tsql_smalldatetimefromparts", 5, 5},
    {u"timefromparts", "tsql_timefromparts", 5, 5},
    {u"concat_ws", "tsql_concat_ws", 3, 254},
    {u"translate", "tsql_translate", 3, 3},
    {u"trim", "trim", 1, 2},
    {u"json_value", "tsql_json_value", 2, 2},
    {u"json_query", "tsql_json_query", 1, 2},
    {u"isjson", "tsql_isjson", 1, 1},
    {u"sysdatetime", "tsql_sysdatetime", 0, 0},
    {u"sysutcdatetime", "tsql_sysutcdatetime", 0, 0},
    {u"getutcdate", "tsql_getutcdate", 0, 0},
    {u"sysdatetimeoffset", "tsql_sysdatetimeoffset", 0, 0},
    {u"todatetimeoffset", "tsql_todatetimeoffset", 2, 2},
    {u"switchoffset", "tsql_switchoffset", 2, 2},
};

}  // namespace

bool Generator::GenBuiltinFunction(const std::u16string& name, const Expr& expr) {
  if (expr.within_group && name != u"string_agg") {
    RaiseUnsupported(batch_, expr.within_group->pos, u"WITHIN GROUP with " + expr.text);
  }
  if (name == u"string_agg") {
    GenStringAgg(expr);
    return true;
  }
  if (name == u"string_escape") {
    ExpectArgs(expr, 2, 2);
    const Expr& type = *expr.args[1];
    if (type.kind != ExprKind::kString || LowerAscii(type.text) != u"json") {
      RaiseUnsupported(batch_, type.pos, u"STRING_ESCAPE of a type other than 'json'");
    }
    GenCall("tsql_string_escape", expr);
    return true;
  }
  if (name == u"replicate") {
    // A max text is not cut; any other result at 8,000 bytes (4,000 national characters).
    ExpectArgs(expr, 2, 2);
    const SqlType result = TypeOf(expr);
    GenCall("tsql_replicate", expr);
    out_.pop_back();
    out_ += result.length < 0 ? ", -1" : ", 8000";
    out_ += result.name[0] == 'n' ? ", 1)" : ", 0)";
    return true;
  }
  if (name == u"parse" || name == u"try_parse") {
    GenParse(name, expr);
    return true;
  }
  if (name == u"json_modify") {
    // The runtime is told how the new value becomes JSON: JSON_QUERY's fragment and numbers as
    // they are, a bit as true or false, anything else as a quoted text.
    ExpectArgs(expr, 3, 3);
    const Expr& value = *expr.args[2];
    const SqlType type = TypeOf(value);
    const bool fragment =
        value.kind == ExprKind::kFunction && LowerAscii(value.text) == u"json_query";
    const bool number = type.cls == SqlType::Class::kInteger ||
                        type.cls == SqlType::Class::kDecimal || type.cls == SqlType::Class::kFloat;
    GenCall("tsql_json_modify", expr);
    out_.pop_back();
    out_ += fragment || number ? ", 'r')" : type.cls == SqlType::Class::kBit ? ", 'b')" : ", 's')";
    return true;
  }
  if (name == u"sql_variant_property") {
    GenVariantProperty(expr);
    return true;
  }
  if (name == u"at time zone") {
    GenAtTimeZone(expr);
    return true;
  }
  if (name == u"format") {
    GenFormat(expr);
    return true;
  }
  return GenMappedCall(kBuiltins, name, expr);
}

// The culture argument at `index`; when it is not given, the session's language's.
void Generator::GenCulture(const Expr& expr, std::size_t index) {
  if (expr.args.size() > index) {
    Gen(*expr.args[index]);
  } else {
    out_ += "tsql_language_culture(";
    GenSessionValue(SessionValue::kLanguage);
    out_ += ')';
  }
}

// FORMAT(value, format [, culture]): the runtime is told whether the value is a date-time or
// an integer of how many bits (for the hexadecimal of a negative one).
void Generator::GenFormat(const Expr& expr) {
  ExpectArgs(expr, 2, 3);
  const SqlType value = TypeOf(*expr.args[0]);
  if (value.IsText() || value.cls == SqlType::Class::kBinary) {
    RaiseStatementError(expr.args[0]->pos, u"Argument data type " + oleaut::FromUtf8(value.name) +
                                               u" is invalid for argument 1 of format function.");
  }
  if (value.IsTime()) RaiseUnsupported(batch_, expr.pos, u"FORMAT of a time");
  std::string kind = "0";
  if (value.cls == SqlType::Class::kDate) {
    kind = "'D'";
  } else if (value.cls == SqlType::Class::kInteger) {
    kind = value.name == "bigint"     ? "64"
           : value.name == "smallint" ? "16"
           : value.name == "tinyint"  ? "8"
                                      : "32";
  }
  out_ += "tsql_format(";
  Gen(*expr.args[0]);
  out_ += ", ";
  Gen(*expr.args[1]);
  out_ += ", ";
  GenCulture(expr, 2);
  out_ += ", " + kind + ")";
}

// A datepart the value's type does not have (the year of a time, the hour of a date, the
// offset of anything but a datetimeoffset), or that the function does not take, fails as on
// SQL Server.
void Generator::CheckDatePart(const std::u16string& name, std::string_view part, const Expr& expr) {
  const bool adds = name == u"dateadd";
  const bool differs = name == u"datediff" || name == u"datediff_big";
  const SqlType type = TypeOf(*expr.args[adds || differs ? 2 : 1]);
  const bool time_part = part == "hour" || part == "minute" || part == "second" ||
                         part == "millisecond" || part == "microsecond" || part == "nanosecond";
  const bool known = type.cls == SqlType::Class::kDate;
  bool refused = false;
  if (part == "tzoffset" || part == "iso_week") {
    refused = adds || differs || (part == "tzoffset" && known && type.name != "datetimeoffset");
  } else if (known && type.IsTime()) {
    refused = !time_part && !differs;
  } else if (known && type.name == "date") {
    refused = time_part && !differs;
  } else if (adds && known && (type.name == "datetime" || type.name == "smalldatetime")) {
    refused = part == "microsecond" || part == "nanosecond";
  }
  if (!refused) return;
  RaiseStatementError(expr.args[0]->pos,
                      u"The datepart " + oleaut::FromUtf8(part) +
                          u" is not supported by date function " + name + u" for data type " +
                          oleaut::FromUtf8(known ? type.name : std::string("datetime")) + u".");
}

// PARSE(text AS type [USING culture]) and TRY_PARSE: the runtime reads the text in the culture
// into the form CONVERT reads, and CONVERT makes it the type.
void Generator::GenParse(const std::u16string& name, const Expr& expr) {
  const std::optional<SqlType> type = ResolveType(expr.type, true);
  if (!type) RaiseUnsupported(batch_, expr.type.pos, u"PARSE to the type " + expr.type.name);
  const bool number = type->cls == SqlType::Class::kInteger ||
                      type->cls == SqlType::Class::kDecimal || type->cls == SqlType::Class::kFloat;
  if (!number && (type->cls != SqlType::Class::kDate || type->IsTime())) {
    RaiseUnsupported(batch_, expr.type.pos, u"PARSE to the type " + expr.type.name);
  }
  out_ += "tsql_convert('" + type->Declared() + "', tsql_parse(";
  out_ += number ? "'n', '" : "'d', '";
  out_ += type->name + "', ";
  Gen(*expr.args[0]);
  out_ += ", ";
  GenCulture(expr, 1);
  out_ += name == u"try_parse" ? ", 1))" : ", 0))";
}

// STRING_AGG(value, separator) [WITHIN GROUP (ORDER BY ...)]: a value that is no text becomes
// nvarchar, as SQL Server converts it; the result is cut off at 8,000 bytes unless of a max type.
void Generator::GenStringAgg(const Expr& expr) {
  ExpectArgs(expr, 2, 2);
  if (expr.over) RaiseUnsupported(batch_, expr.over->pos, u"STRING_AGG with OVER");
  const SqlType value = TypeOf(*expr.args[0]);
  const SqlType result = TypeOf(expr);
  out_ += "tsql_string_agg(";
  if (value.IsText() || !value.IsKnown() || value.cls == SqlType::Class::kNull) {
    GenOutsideWindows(*expr.args[0]);
  } else {
    GenConverted(*expr.args[0], result);
  }
  out_ += ", ";
  GenOutsideWindows(*expr.args[1]);
  out_ += result.length < 0 ? ", 0" : result.name[0] == 'n' ? ", 2" : ", 1";
  if (expr.within_group) {
    for (const OrderItem& item : expr.within_group->order_by) {
      out_ += ", ";
      GenOutsideWindows(*item.expr);
      out_ += item.descending ? ", 1" : ", 0";
    }
  }
  out_ += ')';
}

// (SELECT ... FOR XML PATH('row')): the rows joined in their order by an aggregate over the
// query, whose columns get names of their own through an empty first SELECT. A column named
// by its alias or as a column reference is an element; any other is text alone.
// The columns FOR XML and FOR JSON write: each item's name (empty when it has none) and type; a *
// stands for the columns of the query's one table.
std::vector<std::pair<std::u16string, SqlType>> Generator::ForColumns(const Select& select) {
  const SelectCore& first = select.cores.front();
  std::vector<std::pair<std::u16string, SqlType>> columns;
  for (const SelectItem& item : first.items) {
    if (item.star) {
      const std::shared_ptr<const TableColumns> table =
          first.from.size() == 1 && first.from[0]->kind == TableRef::Kind::kTable
              ? tables_.Find(first.from[0]->name.Name())
              : nullptr;
      if (!table) RaiseUnsupported(batch_, item.pos, u"FOR XML or FOR JSON of * over a join");
      for (const TableColumn& column : *table)
        columns.emplace_back(column.name, column.type);
      continue;
    }
    std::u16string name = item.has_alias ? item.alias : u"";
    if (!item.has_alias && item.expr->kind == ExprKind::kColumn) name = item.expr->names.back();
    columns.emplace_back(std::move(name), TypeOf(*item.expr));
  }
  return columns;
}

// FROM the query's rows, its columns named x0, x1, ... by their places.
void Generator::GenForRows(const Select& select, std::size_t columns) {
  out_ += " FROM (SELECT ";
  for (std::size_t i = 0; i < columns; ++i)
    out_ += (i > 0 ? ", NULL AS \"x" : "NULL AS \"x") + std::to_string(i) + "\"";
  out_ += " WHERE 0 UNION ALL SELECT * FROM (";
  GenSelect(select);
  out_ += ")))";
}

void Generator::GenXmlPath(const Select& select) {
  std::vector<std::pair<std::string, bool>> columns;  // spec, whether a date-time
  bool elements = false;
  for (auto& [name, type] : ForColumns(select)) {
    std::u16string element = name;
    if (element == u"text()" || element == u"*") element.clear();
    const bool attribute = select.xml_raw || (!element.empty() && element[0] == u'@');
    if (!element.empty() && element[0] == u'@') element.erase(0, 1);
    if (element.find(u'/') != std::u16string::npos || (attribute && element.empty())) {
      RaiseUnsupported(batch_, select.pos,
                       u"FOR XML with nested elements or attributes without a name");
    }
    if (attribute && elements) {
      RaiseStatementError(select.pos, u"Attribute-centric column '" + name +
                                          u"' must not come after a non-attribute-centric "
                                          u"sibling in XML hierarchy in FOR XML PATH.");
    }
    if (attribute && select.xml_row.empty()) {
      RaiseStatementError(select.pos,
                          u"Row tag omission (empty row tag name) cannot be used "
                          u"with attribute-centric FOR XML serialization.");
    }
    elements = elements || !attribute;
    const bool date = type.cls == SqlType::Class::kDate && !type.IsTime();
    columns.emplace_back(
        std::string(1, attribute ? (date ? 'd' : 'v') : (date ? 'D' : 'V')) + Utf8(element), date);
  }
  out_ += "(SELECT tsql_xml_path(";
  out_ += select.xml_string_value ? "1, " : "0, ";
  AppendStringLiteral(out_, select.xml_row);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    out_ += ", ";
    AppendStringLiteral(out_, oleaut::FromUtf8(columns[i].first));
    out_ += ", \"x" + std::to_string(i) + "\"";
  }
  out_ += ')';
  GenForRows(select, columns.size());
}

// FOR JSON: each row an object of its columns' names and values (a number as a number, a bit as
// true or false, a date-time with its T, anything else as text), NULLs left out unless
// INCLUDE_NULL_VALUES, all in an array unless WITHOUT_ARRAY_WRAPPER, under ROOT's name.
void Generator::GenForJson(const Select& select) {
  const SelectCore& first = select.cores.front();
  if (first.from.size() > 1 ||
      (first.from.size() == 1 && first.from[0]->kind == TableRef::Kind::kJoin)) {
    RaiseUnsupported(batch_, select.pos, u"FOR JSON over a join");
  }
  out_ += "(SELECT ";
  if (select.json_root) {
    out_ += "'{' || ";
    std::string name;
    AppendStringLiteral(name, u"\"" + select.json_root_name + u"\":");
    out_ += name + " || ";
  }
  if (!select.json_without_array) out_ += "'[' || ";
  out_ += "tsql_for_json(";
  out_ += select.json_include_nulls ? '1' : '0';
  const auto columns = ForColumns(select);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const auto& [name, type] = columns[i];
    if (name.empty()) {
      RaiseStatementError(select.pos,
                          u"Column expressions and data sources without names or aliases cannot "
                          u"be formatted as JSON text using FOR JSON clause. Add alias to the "
                          u"unnamed column or table.");
    }
    if (name.find(u'.') != std::u16string::npos) {
      RaiseUnsupported(batch_, select.pos, u"FOR JSON with nested names");
    }
    if (type.cls == SqlType::Class::kBinary) {
      RaiseUnsupported(batch_, select.pos, u"FOR JSON of a binary value");
    }
    char kind = 'S';
    if (type.cls == SqlType::Class::kBit) kind = 'B';
    if (type.cls == SqlType::Class::kInteger || type.cls == SqlType::Class::kDecimal ||
        type.cls == SqlType::Class::kFloat) {
      kind = 'N';
    }
    if (type.cls == SqlType::Class::kDate) kind = 'D';
    out_ += ", ";
    AppendStringLiteral(out_, std::u16string(1, static_cast<char16_t>(kind)) + name);
    const std::string value = "\"x" + std::to_string(i) + "\"";
    if (type.cls == SqlType::Class::kDecimal) {
      // Every digit of its scale, as SQL Server writes a decimal.
      out_ +=
          ", tsql_convert('nvarchar(max)', tsql_convert('" + type.Declared() + "', " + value + "))";
    } else {
      out_ += ", " + value;
    }
  }
  out_ += ')';
  if (!select.json_without_array) out_ += " || ']'";
  if (select.json_root) out_ += " || '}'";
  GenForRows(select, columns.size());
}

}  // namespace tsql::generation
