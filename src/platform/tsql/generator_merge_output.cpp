// MERGE TOP (n), and MERGE's OUTPUT clause: a row for each row an action changed, with $action
// ('INSERT', 'UPDATE' or 'DELETE'), inserted.x as the row is after the action and deleted.x as it
// was before. Before the actions run, the rows they will change are listed in
// "tsql$merge_output" (the action's kind, the row's key before and after it) and kept as they
// are in "tsql$output"; the rows inserted are those whose keys come after the highest key just
// before the inserts.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/generator_merge_tables.h"

namespace tsql::generation {
namespace {

constexpr const char* kChanges = "temp.\"tsql$merge_output\"";
constexpr const char* kBefore = "temp.\"tsql$output\"";

const char* KindOf(const MergeAction& action) {
  switch (action.kind) {
    case MergeAction::Kind::kUpdate:
      return "UPDATE";
    case MergeAction::Kind::kDelete:
      return "DELETE";
    case MergeAction::Kind::kInsert:
      break;
  }
  return "INSERT";
}

}  // namespace

// A step of a statement run as steps, which leaves @@ROWCOUNT to the steps that change rows.
void Generator::GenStep(StatementKind kind, bool temp, std::vector<Node>& steps,
                        const std::function<void()>& body) {
  SqlStatement s = Begin(kind, temp);
  s.row_count = RowCountEffect::kKept;
  body();
  Finish(s, steps);
}

// The steps made, as one statement that changes `target`.
void Generator::FinishSteps(const ObjectName& target, bool temp, std::vector<Node>& steps,
                            std::vector<Node>& nodes) {
  SqlStatement s = Begin(StatementKind::kSteps, temp);
  s.target = Utf8(TableName(target));
  for (Node& node : steps)
    s.steps.push_back(std::move(std::get<SqlStatement>(node.item)));
  Finish(s, nodes);
}

// TOP (n): the first n rows that would take an action take it, the others none.
void Generator::GenMergeTop(const MergeStmt& merge, bool unmatched, std::vector<Node>& steps) {
  const auto limit = [&](const char* table, bool after_pairs) {
    GenStep(StatementKind::kCommand, merge.target.IsTemp(), steps, [&] {
      const std::string acting = std::string(kMergeAction) + " > 0";
      out_ += std::string("UPDATE temp.") + table + " SET " + kMergeAction + " = 0 WHERE " +
              acting + " AND rowid NOT IN (SELECT rowid FROM temp." + table + " WHERE " + acting +
              " ORDER BY rowid LIMIT max(0, ";
      Gen(*merge.top);
      if (after_pairs) {
        out_ +=
            std::string(" - (SELECT count(*) FROM temp.") + kMergePairs + " WHERE " + acting + ')';
      }
      out_ += "))";
    });
  };
  limit(kMergePairs, false);
  if (unmatched) limit(kMergeUnmatched, true);
}

// The rows the matched and unmatched actions will change, and those rows as they are.
void Generator::GenMergeKept(const MergeStmt& merge, bool unmatched, std::vector<Node>& steps) {
  const bool temp = merge.target.IsTemp();
  for (const char* table : {kChanges, kBefore}) {
    GenStep(StatementKind::kDdl, temp, steps,
            [&] { out_ += std::string("DROP TABLE IF EXISTS ") + table; });
  }
  std::string kind = std::string("CASE ") + kMergeAction;
  std::string updated;
  for (std::size_t i = 0; i < merge.actions.size(); ++i) {
    const std::string number = std::to_string(i + 1);
    kind += std::string(" WHEN ") + number + " THEN '" + KindOf(merge.actions[i]) + '\'';
    if (merge.actions[i].kind == MergeAction::Kind::kUpdate) {
      updated += (updated.empty() ? "" : ", ") + number;
    }
  }
  kind += " END";
  const std::string row = std::string(kMergeRow);
  const std::string listed = "SELECT " + kind + " AS \"tsql$action\", " + row +
                             " AS \"tsql$old\", " +
                             (updated.empty() ? std::string("NULL")
                                              : "CASE WHEN " + std::string(kMergeAction) + " IN (" +
                                                    updated + ") THEN " + row + " END") +
                             " AS \"tsql$new\" FROM temp.";
  GenStep(StatementKind::kCommand, temp, steps, [&] {
    out_ += "CREATE TEMP TABLE \"tsql$merge_output\" AS " + listed + kMergePairs + " WHERE " + row +
            " IS NOT NULL AND " + kMergeAction + " > 0";
    if (unmatched) {
      out_ += " UNION ALL " + listed + kMergeUnmatched + " WHERE " + kMergeAction + " > 0";
    }
  });
  GenStep(StatementKind::kCommand, temp, steps, [&] {
    out_ += "CREATE TEMP TABLE \"tsql$output\" AS SELECT rowid AS \"tsql$row\", * FROM ";
    AppendTable(merge.target);
    out_ += std::string(" WHERE rowid IN (SELECT \"tsql$old\" FROM ") + kChanges + ')';
  });
}

// The highest key before the inserts, in a row of no action.
void Generator::GenMergeInsertMark(const MergeStmt& merge, std::vector<Node>& steps) {
  GenStep(StatementKind::kCommand, merge.target.IsTemp(), steps, [&] {
    out_ += std::string("INSERT INTO ") + kChanges +
            " SELECT NULL, coalesce(max(rowid), 0), NULL FROM ";
    AppendTable(merge.target);
  });
}

// The inserted rows listed, then the rows of OUTPUT ... INTO inserted and those of OUTPUT
// returned.
void Generator::GenMergeOutput(const MergeStmt& merge, std::vector<Node>& steps) {
  const bool temp = merge.target.IsTemp();
  GenStep(StatementKind::kCommand, temp, steps, [&] {
    out_ += std::string("INSERT INTO ") + kChanges + " SELECT 'INSERT', NULL, rowid FROM ";
    AppendTable(merge.target);
    out_ += std::string(" WHERE rowid > (SELECT \"tsql$old\" FROM ") + kChanges +
            " WHERE \"tsql$action\" IS NULL) ORDER BY rowid";
  });
  const OutputTarget target{&merge.target, OutputChange::kMerge};
  output_ = &target;
  if (merge.output_into) {
    GenOutputInto(*merge.output_into, OutputChange::kMerge, merge.target, steps);
  }
  if (!merge.output.empty()) {
    GenOutputQuery(merge.output, OutputChange::kMerge, merge.target, temp, steps);
  }
  output_ = nullptr;
  for (const char* table : {kChanges, kBefore}) {
    GenStep(StatementKind::kDdl, temp, steps,
            [&] { out_ += std::string("DROP TABLE IF EXISTS ") + table; });
  }
}

// FROM the rows the actions changed: inserted as they are now, deleted as they were kept.
void Generator::GenMergeOutputRows(const ObjectName& table) {
  out_ += std::string(kChanges) + " AS \"tsql$o\" LEFT JOIN ";
  AppendTable(table);
  out_ +=
      std::string(" AS \"inserted\" ON \"inserted\".rowid = \"tsql$o\".\"tsql$new\" LEFT JOIN ") +
      kBefore +
      " AS \"deleted\" ON \"deleted\".\"tsql$row\" = \"tsql$o\".\"tsql$old\" WHERE "
      "\"tsql$o\".\"tsql$action\" IS NOT NULL ORDER BY \"tsql$o\".rowid";
}

// $action in MERGE's OUTPUT: the kind of the action that changed the row.
bool Generator::GenActionColumn(const Expr& expr) {
  if (!in_output_list_ || !output_ || output_->change != OutputChange::kMerge ||
      expr.names.size() != 1 || !oleaut::EqualsNoCase(expr.names[0], u"$action")) {
    return false;
  }
  out_ += "\"tsql$o\".\"tsql$action\"";
  return true;
}

}  // namespace tsql::generation
