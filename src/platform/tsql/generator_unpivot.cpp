// UNPIVOT: each row of the source becomes one row for each column turned whose value is not
// NULL, holding the column's name and its value. The source is joined with a list of the
// turned columns' numbers and names; CROSS JOIN keeps SQLite from reordering the two, so the
// rows come as SQL Server gives them: by source row, then in the order the columns are listed.
#include <algorithm>
#include <string>

#include "platform/oleaut/text.h"
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {
namespace {

constexpr std::string_view kSource = "\"tsql$source\"";
constexpr std::string_view kNames = "\"tsql$names\"";

}  // namespace

void Generator::GenUnpivot(const TableRef& ref) {
  const std::vector<std::u16string> names = PivotSourceColumns(ref);
  const auto turned = [&](const std::u16string& name) {
    return std::any_of(
        ref.pivot_values.begin(), ref.pivot_values.end(),
        [&](const std::u16string& value) { return oleaut::EqualsNoCase(name, value); });
  };
  for (const std::u16string& value : ref.pivot_values) {
    if (std::none_of(names.begin(), names.end(), [&](const std::u16string& name) {
          return oleaut::EqualsNoCase(name, value);
        })) {
      RaiseInvalidColumnName(ref.pos, value);
    }
  }
  out_ += "(SELECT * FROM (SELECT ";
  for (const std::u16string& name : names) {
    if (turned(name)) continue;
    out_ += kSource;
    out_ += '.';
    AppendQuotedName(out_, name);
    out_ += " AS ";
    AppendQuotedName(out_, name);
    out_ += ", ";
  }
  out_ += kNames;
  out_ += ".column2 AS ";
  AppendQuotedName(out_, ref.pivot_column);
  out_ += ", CASE ";
  out_ += kNames;
  out_ += ".column1";
  for (std::size_t i = 0; i < ref.pivot_values.size(); ++i) {
    out_ += " WHEN " + std::to_string(i) + " THEN ";
    out_ += kSource;
    out_ += '.';
    AppendQuotedName(out_, ref.pivot_values[i]);
  }
  out_ += " END AS ";
  AppendQuotedName(out_, ref.unpivot_value);
  out_ += " FROM (SELECT * FROM ";
  GenTableRef(*ref.left);
  out_ += ") AS ";
  out_ += kSource;
  out_ += " CROSS JOIN (VALUES ";
  for (std::size_t i = 0; i < ref.pivot_values.size(); ++i) {
    if (i > 0) out_ += ", ";
    out_ += '(' + std::to_string(i) + ", ";
    AppendStringLiteral(out_, ref.pivot_values[i]);
    out_ += ')';
  }
  out_ += ") AS ";
  out_ += kNames;
  out_ += ") WHERE ";
  AppendQuotedName(out_, ref.unpivot_value);
  out_ += " IS NOT NULL)";
}

}  // namespace tsql::generation
