// The OUTPUT clause of INSERT, UPDATE and DELETE: the statement returns the rows it changed,
// inserted.x as they are after it, deleted.x as they were. The rows it will change are kept first
// in a temporary table (for an INSERT, the highest key before it: new rows come after), the change
// runs, and a query over the table and the kept rows returns them (or, for OUTPUT ... INTO,
// inserts them into a table: generator_output_into.cpp); all as one statement.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {
namespace {

constexpr const char* kKept = "temp.\"tsql$output\"";

bool IsDeleted(std::u16string_view name) {
  return oleaut::EqualsNoCase(name, u"deleted");
}

bool IsInserted(std::u16string_view name) {
  return oleaut::EqualsNoCase(name, u"inserted");
}

}  // namespace

// `table` is the table changed, `named` the target as the statement names it (an alias of its
// FROM clause).
void Generator::GenWithOutput(const OutputList& output, const std::optional<OutputInto>& into,
                              OutputChange change, const ObjectName& table, const ObjectName& named,
                              const std::vector<TableRefPtr>& from, const Expr* where,
                              const ChangeWith& with,
                              const std::function<void(std::vector<Node>&)>& generate_change,
                              std::vector<Node>& nodes) {
  const OutputTarget target{&table, change};
  output_ = &target;
  std::vector<Node> steps;
  const bool temp = table.IsTemp() && (!into || into->table.IsTemp());
  const auto drop = [&] {
    SqlStatement s = Begin(StatementKind::kDdl, temp);
    s.row_count = RowCountEffect::kKept;
    out_ += std::string("DROP TABLE IF EXISTS ") + kKept;
    Finish(s, steps);
  };
  drop();
  SqlStatement keep = Begin(StatementKind::kCommand, temp);
  keep.row_count = RowCountEffect::kKept;
  out_ += "CREATE TEMP TABLE \"tsql$output\" AS ";
  GenChangeWith(with);
  out_ += "SELECT ";
  if (change == OutputChange::kInsert) {
    out_ += "coalesce(max(rowid), 0) AS \"tsql$row\" FROM ";
    AppendTable(table);
  } else {
    out_ += "rowid AS \"tsql$row\", * FROM ";
    AppendTable(table);
    if (!from.empty()) {
      out_ += " WHERE rowid IN (SELECT ";
      AppendChangedRowid(named, from);
      GenChangeSource(from, where);
      out_ += ')';
    } else if (where) {
      out_ += " WHERE ";
      Gen(*where);
    }
  }
  Finish(keep, steps);
  generate_change(steps);
  if (into) GenOutputInto(*into, change, table, steps);
  if (!output.empty()) GenOutputQuery(output, change, table, temp, steps);
  drop();
  output_ = nullptr;
  FinishSteps(table, temp, steps, nodes);
}

// The query that returns the rows of OUTPUT without INTO.
void Generator::GenOutputQuery(const OutputList& output, OutputChange change,
                               const ObjectName& table, bool temp, std::vector<Node>& steps) {
  SqlStatement rows = Begin(StatementKind::kQuery, temp);
  rows.row_count = RowCountEffect::kKept;
  out_ += "SELECT ";
  in_output_list_ = true;
  rows.columns = GenOutputList(output, table);
  in_output_list_ = false;
  GenOutputRows(change, table);
  Finish(rows, steps);
}

// FROM the rows the change made (inserted) or kept (deleted), in the order of the table's keys.
void Generator::GenOutputRows(OutputChange change, const ObjectName& table) {
  out_ += " FROM ";
  switch (change) {
    case OutputChange::kInsert:
      AppendTable(table);
      out_ +=
          std::string(" AS \"inserted\" WHERE \"inserted\".rowid > (SELECT \"tsql$row\" FROM ") +
          kKept + ") ORDER BY \"inserted\".rowid";
      break;
    case OutputChange::kUpdate:
      AppendTable(table);
      out_ += std::string(" AS \"inserted\" JOIN ") + kKept +
              " AS \"deleted\" ON \"inserted\".rowid = \"deleted\".\"tsql$row\" ORDER BY "
              "\"inserted\".rowid";
      break;
    case OutputChange::kDelete:
      out_ += std::string(kKept) + " AS \"deleted\" ORDER BY \"deleted\".\"tsql$row\"";
      break;
    case OutputChange::kMerge:
      GenMergeOutputRows(table);
      break;
  }
}

// The OUTPUT items and the result's columns they make. The kept rows of deleted carry their key
// beside the table's columns: deleted.* names the table's columns.
std::vector<ResultHint> Generator::GenOutputList(const OutputList& output,
                                                 const ObjectName& table) {
  const std::shared_ptr<const TableColumns> columns = tables_.Find(table.Name());
  std::vector<ResultHint> hints;
  for (std::size_t i = 0; i < output.size(); ++i) {
    if (i > 0) out_ += ", ";
    const SelectItem& item = output[i];
    if (item.star) {
      const std::u16string qualifier =
          item.star_qualifier.empty() ? std::u16string() : item.star_qualifier.back();
      Expr star;
      star.kind = ExprKind::kColumn;
      star.names = {qualifier, u"*"};
      star.pos = item.pos;
      CheckOutputColumn(star);
      if (IsInserted(qualifier)) {
        out_ += "\"inserted\".*";
        hints.push_back(ResultHint{{}, false, true, {}});
        continue;
      }
      if (!columns) RaiseUnsupported(batch_, item.pos, u"deleted.* of a table of unknown columns");
      for (std::size_t c = 0; c < columns->size(); ++c) {
        if (c > 0) out_ += ", ";
        out_ += "\"deleted\".";
        AppendQuotedName(out_, (*columns)[c].name);
        hints.push_back(ResultHint{(*columns)[c].name, true, false, (*columns)[c].type.Declared()});
      }
      continue;
    }
    const Expr& expr = *item.expr;
    Gen(expr);
    ResultHint hint;
    hint.named = item.has_alias || expr.kind == ExprKind::kColumn;
    hint.name = item.has_alias ? item.alias : hint.named ? expr.names.back() : std::u16string();
    if (expr.kind == ExprKind::kColumn && expr.names.size() == 2 && columns) {
      if (const std::optional<SqlType> type = ColumnTypeOf(*columns, expr.names.back())) {
        hint.type = type->Declared();
      }
    }
    out_ += " AS ";
    AppendQuotedName(out_, hint.name);
    hints.push_back(std::move(hint));
  }
  return hints;
}

// In OUTPUT a column is inserted.x or deleted.x, as the change has them: an INSERT has no deleted
// rows, a DELETE no inserted ones.
void Generator::CheckOutputColumn(const Expr& expr) {
  if (!in_output_list_ || expr.kind != ExprKind::kColumn) return;
  const std::u16string qualifier = expr.names.size() == 2 ? expr.names[0] : std::u16string();
  const bool allowed = (IsInserted(qualifier) && output_->change != OutputChange::kDelete) ||
                       (IsDeleted(qualifier) && output_->change != OutputChange::kInsert);
  if (allowed) return;
  if (output_->change == OutputChange::kMerge) {
    RaiseUnsupported(batch_, expr.pos, u"OUTPUT of a MERGE's source columns");
  }
  if (expr.names.size() != 2) {
    RaiseUnsupported(batch_, expr.pos, u"OUTPUT of a column other than inserted.x or deleted.x");
  }
  RaiseStatementError(expr.pos, u"The multi-part identifier \"" + expr.names[0] + u"." +
                                    expr.names[1] + u"\" could not be bound.");
}

}  // namespace tsql::generation
