// OUTPUT ... INTO: the rows a change returns go into a table (the database's, a temporary one or
// a table variable) instead of to the caller, as one more step of the change.
#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {

void Generator::GenOutputInto(const OutputInto& into, OutputChange change, const ObjectName& table,
                              std::vector<Node>& steps) {
  const std::shared_ptr<const TableColumns> target = tables_.Require(into.table);
  // An insert, so that an identity column written while IDENTITY_INSERT is off fails as SQL
  // Server's does (error 544).
  SqlStatement s = Begin(StatementKind::kInsert, table.IsTemp() && into.table.IsTemp());
  s.row_count = RowCountEffect::kKept;
  s.target = Utf8(TableName(into.table));
  s.target_temp = into.table.IsTemp();
  InsertStmt written;
  written.table = into.table;
  written.columns = into.columns;
  s.identity_values = IdentityValuesOf(written);
  out_ += "INSERT INTO ";
  AppendTable(into.table);
  std::size_t expected = into.columns.size();
  if (!into.columns.empty()) {
    out_ += " (";
    for (std::size_t i = 0; i < into.columns.size(); ++i) {
      if (target && std::none_of(target->begin(), target->end(), [&](const TableColumn& column) {
            return oleaut::EqualsNoCase(column.name, into.columns[i]);
          })) {
        RaiseInvalidColumnName(into.table.pos, into.columns[i]);
      }
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, into.columns[i]);
    }
    out_ += ')';
  } else if (target) {
    // Without a column list the values fill the columns SQL Server lets an INSERT give: all but
    // the identity column.
    expected = static_cast<std::size_t>(
        std::count_if(target->begin(), target->end(),
                      [](const TableColumn& column) { return !column.identity; }));
    if (expected < target->size()) {
      out_ += " (";
      bool first = true;
      for (const TableColumn& column : *target) {
        if (column.identity) continue;
        if (!first) out_ += ", ";
        first = false;
        AppendQuotedName(out_, column.name);
      }
      out_ += ')';
    }
  }
  out_ += " SELECT ";
  in_output_list_ = true;
  const std::vector<ResultHint> values = GenOutputList(into.items, table);
  in_output_list_ = false;
  const bool counted = std::none_of(values.begin(), values.end(),
                                    [](const ResultHint& value) { return value.star; });
  if (counted && (target || !into.columns.empty()) && values.size() != expected) {
    RaiseStatementError(into.table.pos,
                        u"Column name or number of supplied values does not match table "
                        u"definition.");
  }
  GenOutputRows(change, table);
  Finish(s, steps);
}

}  // namespace tsql::generation
