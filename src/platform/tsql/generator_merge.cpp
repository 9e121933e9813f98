// MERGE as SQLite statements run as one (StatementKind::kSteps). SQL Server decides every row's
// action on the tables as they were before the statement, so the pairs of target and source rows
// and the action each takes are kept first in temporary tables; the actions then change the
// target by its row keys: the matched rows, then those no source row matched, then the source
// rows that matched none are inserted.
#include <algorithm>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/generator_merge_tables.h"

namespace tsql::generation {
namespace {

constexpr const char* kPairs = kMergePairs;
constexpr const char* kUnmatched = kMergeUnmatched;
constexpr const char* kRow = kMergeRow;
constexpr const char* kAction = kMergeAction;

}  // namespace

// CASE WHEN condition THEN n ... ELSE 0 END: the number (from 1) of the first action of `when`
// whose condition holds.
void Generator::GenMergeChoice(const MergeStmt& merge, MergeAction::When when) {
  if (std::none_of(merge.actions.begin(), merge.actions.end(),
                   [when](const MergeAction& action) { return action.when == when; })) {
    out_ += '0';
    return;
  }
  out_ += "CASE";
  for (std::size_t i = 0; i < merge.actions.size(); ++i) {
    const MergeAction& action = merge.actions[i];
    if (action.when != when) continue;
    out_ += " WHEN ";
    if (action.condition) {
      Gen(*action.condition);
    } else {
      out_ += '1';
    }
    out_ += " THEN " + std::to_string(i + 1);
  }
  out_ += " ELSE 0 END";
}

// SET column = value, ... of an UPDATE action, each value converted to its column's type.
void Generator::GenMergeSets(const MergeAction& action, const TableColumns* columns) {
  out_ += " SET ";
  for (std::size_t i = 0; i < action.sets.size(); ++i) {
    if (i > 0) out_ += ", ";
    const auto& [column, value] = action.sets[i];
    AppendQuotedName(out_, column);
    out_ += " = ";
    GenStored(*value, columns ? ColumnTypeOf(*columns, column) : std::nullopt);
  }
}

void Generator::Generate(const MergeStmt& merge, std::vector<Node>& nodes) {
  using When = MergeAction::When;
  using Kind = MergeAction::Kind;
  const ObjectName& target = merge.target;
  const TableRef& source = *merge.source;
  if (source.kind == TableRef::Kind::kJoin) {
    RaiseUnsupported(batch_, source.pos, u"A join as the source of MERGE");
  }
  if (ChangedThrough(target, merge.with)) {
    RaiseUnsupported(batch_, target.pos, u"MERGE into a view or common table expression");
  }
  const std::shared_ptr<const TableColumns> columns = tables_.Require(target);
  const std::u16string target_alias =
      merge.target_alias.empty() ? TableName(target) : merge.target_alias;
  const std::u16string source_alias = source.has_alias ? source.alias : TableName(source.name);
  const bool temp = target.IsTemp() && (!merge.output_into || merge.output_into->table.IsTemp());
  const auto has = [&](When when) {
    return std::any_of(merge.actions.begin(), merge.actions.end(),
                       [when](const MergeAction& action) { return action.when == when; });
  };
  const auto step = [&](StatementKind kind, std::vector<Node>& steps, auto body) {
    SqlStatement s = Begin(kind, temp);
    s.row_count = RowCountEffect::kKept;
    body(s);
    Finish(s, steps);
  };
  const auto append_target = [&] {
    AppendTable(target);
    out_ += " AS ";
    AppendQuotedName(out_, target_alias);
  };
  const auto rows_of = [&](const char* table, std::size_t action) {
    out_ += std::string(" IN (SELECT ") + kRow + " FROM temp." + table + " WHERE " + kAction +
            " = " + std::to_string(action + 1) + ')';
  };

  std::vector<Node> steps;
  const auto drop_tables = [&] {
    for (const char* table : {kPairs, kUnmatched}) {
      step(StatementKind::kDdl, steps,
           [&](SqlStatement&) { out_ += std::string("DROP TABLE IF EXISTS temp.") + table; });
    }
  };
  drop_tables();
  // "CREATE TEMP TABLE table AS [WITH ...] SELECT target.rowid AS row, ": the start of a table
  // of target rows.
  const auto create_row_table = [&](const char* table) {
    out_ += std::string("CREATE TEMP TABLE ") + table + " AS ";
    GenChangeWith(merge.with);
    out_ += "SELECT ";
    AppendQuotedName(out_, target_alias);
    out_ += std::string(".rowid AS ") + kRow + ", ";
  };
  // Each source row, the target row it matches (NULL for none) and the action it takes.
  step(StatementKind::kCommand, steps, [&](SqlStatement&) {
    create_row_table(kPairs);
    out_ += "CASE WHEN ";
    AppendQuotedName(out_, target_alias);
    out_ += ".rowid IS NULL THEN ";
    GenMergeChoice(merge, When::kNotMatchedByTarget);
    out_ += " ELSE ";
    GenMergeChoice(merge, When::kMatched);
    out_ += std::string(" END AS ") + kAction + ", ";
    AppendQuotedName(out_, source_alias);
    out_ += ".* FROM ";
    GenTableRef(source);
    out_ += " LEFT JOIN ";
    append_target();
    out_ += " ON ";
    Gen(*merge.on);
  });
  if (has(When::kNotMatchedBySource)) {
    step(StatementKind::kCommand, steps, [&](SqlStatement&) {
      create_row_table(kUnmatched);
      GenMergeChoice(merge, When::kNotMatchedBySource);
      out_ += std::string(" AS ") + kAction + " FROM ";
      append_target();
      out_ += " WHERE NOT EXISTS (SELECT 1 FROM ";
      GenTableRef(source);
      out_ += " WHERE ";
      Gen(*merge.on);
      out_ += ')';
    });
  }
  if (merge.top) GenMergeTop(merge, has(When::kNotMatchedBySource), steps);
  if (has(When::kMatched)) {
    step(StatementKind::kQuery, steps, [&](SqlStatement&) {
      out_ += std::string(
                  "SELECT tsql_raise('The MERGE statement attempted to UPDATE or DELETE "
                  "the same row more than once. This happens when a target row matches "
                  "more than one source row. A MERGE statement cannot UPDATE/DELETE the "
                  "same row of the target table multiple times. Refine the ON clause to "
                  "ensure a target row matches at most one source row, or use the GROUP "
                  "BY clause to group the source rows.') FROM temp.") +
              kPairs + " WHERE " + kRow + " IS NOT NULL AND " + kAction + " > 0 GROUP BY " + kRow +
              " HAVING count(*) > 1 LIMIT 1";
    });
  }
  const bool outputs = !merge.output.empty() || merge.output_into;
  if (outputs) GenMergeKept(merge, has(When::kNotMatchedBySource), steps);
  // The matched rows, then the target rows no source row matched, then the new rows.
  for (When when : {When::kMatched, When::kNotMatchedBySource, When::kNotMatchedByTarget}) {
    if (outputs && when == When::kNotMatchedByTarget) GenMergeInsertMark(merge, steps);
    for (std::size_t i = 0; i < merge.actions.size(); ++i) {
      const MergeAction& action = merge.actions[i];
      if (action.when != when) continue;
      const char* table = when == When::kMatched ? kPairs : kUnmatched;
      if (action.kind == Kind::kDelete) {
        step(StatementKind::kCommand, steps, [&](SqlStatement& s) {
          s.row_count = RowCountEffect::kCounted;
          GenChangeWith(merge.with);
          out_ += "DELETE FROM ";
          AppendTable(target);
          out_ += " WHERE rowid";
          rows_of(table, i);
        });
      } else if (action.kind == Kind::kUpdate) {
        step(StatementKind::kCommand, steps, [&](SqlStatement& s) {
          s.row_count = RowCountEffect::kCounted;
          GenChangeWith(merge.with);
          out_ += "UPDATE ";
          append_target();
          GenMergeSets(action, columns.get());
          if (when != When::kMatched) {
            out_ += " WHERE ";
            AppendQuotedName(out_, target_alias);
            out_ += ".rowid";
            rows_of(table, i);
            return;
          }
          // A matched row's SET reads its source row from the kept pairs.
          out_ += std::string(" FROM temp.") + kPairs + " AS ";
          AppendQuotedName(out_, source_alias);
          out_ += " WHERE ";
          AppendQuotedName(out_, target_alias);
          out_ += ".rowid = ";
          AppendQuotedName(out_, source_alias);
          out_ += std::string(".") + kRow + " AND ";
          AppendQuotedName(out_, source_alias);
          out_ += std::string(".") + kAction + " = " + std::to_string(i + 1);
        });
      } else {
        GenMergeInsert(merge, action, i, source_alias, steps);
      }
    }
  }
  if (outputs) GenMergeOutput(merge, steps);
  drop_tables();
  FinishSteps(target, temp, steps, nodes);
}

// INSERT [(columns)] VALUES (...) for each source row that matched no target row: the values
// read the source row from the kept pairs, converted to the columns' types.
void Generator::GenMergeInsert(const MergeStmt& merge, const MergeAction& action,
                               std::size_t number, const std::u16string& source_alias,
                               std::vector<Node>& steps) {
  if (action.values.empty()) {
    RaiseUnsupported(batch_, action.pos, u"INSERT DEFAULT VALUES in MERGE");
  }
  InsertStmt insert;
  insert.table = merge.target;
  insert.columns = action.columns;
  const std::shared_ptr<const TableColumns> columns = tables_.Find(merge.target.Name());
  if (insert.columns.empty() && columns) {
    // Every column but the identity, in order, as INSERT without a column list fills them.
    for (const TableColumn& column : *columns) {
      if (!column.identity) insert.columns.push_back(column.name);
    }
  }
  if (!insert.columns.empty() && insert.columns.size() != action.values.size()) {
    RaiseStatementError(action.pos,
                        insert.columns.size() > action.values.size()
                            ? u"There are more columns in the INSERT statement than values "
                              u"specified in the VALUES clause. The number of values in the "
                              u"VALUES clause must match the number of columns specified in the "
                              u"INSERT statement."
                            : u"There are fewer columns in the INSERT statement than values "
                              u"specified in the VALUES clause. The number of values in the "
                              u"VALUES clause must match the number of columns specified in the "
                              u"INSERT statement.");
  }
  const std::vector<std::optional<SqlType>> targets = InsertTargets(insert);
  SqlStatement s = Begin(StatementKind::kInsert, merge.target.IsTemp());
  s.target = Utf8(TableName(merge.target));
  s.identity_values = IdentityValuesOf(insert);
  GenChangeWith(merge.with);
  out_ += "INSERT INTO ";
  AppendTable(merge.target);
  AppendNameList(insert.columns);
  out_ += " SELECT ";
  for (std::size_t i = 0; i < action.values.size(); ++i) {
    if (i > 0) out_ += ", ";
    GenStored(*action.values[i], i < targets.size() ? targets[i] : std::nullopt);
  }
  out_ += std::string(" FROM temp.") + kPairs + " AS ";
  AppendQuotedName(out_, source_alias);
  out_ += std::string(" WHERE ") + kRow + " IS NULL AND " + kAction + " = " +
          std::to_string(number + 1);
  Finish(s, steps);
}

}  // namespace tsql::generation
