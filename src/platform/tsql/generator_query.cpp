// The parts of a query: select lists typed as SQL Server types them, UNION and its column
// types, TOP, FROM with its joins and derived tables, GROUP BY, HAVING, ORDER BY and subqueries.
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/grouping.h"

namespace tsql::generation {

// Columns are named by the first SELECT of a UNION and typed by the highest type of each
// position, as SQL Server types them.
std::vector<ResultHint> Generator::Hints(const Select& select) {
  const SelectCore& core = select.cores.front();
  const std::vector<SqlType> types = ColumnTypes(select);
  std::vector<ResultHint> hints;
  // The columns a lone * stands for, where the translator knows them: a view's computed column
  // has no type the engine could describe.
  const std::size_t star_count = static_cast<std::size_t>(std::count_if(
      core.items.begin(), core.items.end(), [](const SelectItem& item) { return item.star; }));
  const bool expand_star = star_count == 1 && select.cores.size() == 1 && query_columns_ &&
                           query_columns_->size() >= core.items.size() - 1;
  for (std::size_t i = 0; i < core.items.size(); ++i) {
    const SelectItem& item = core.items[i];
    ResultHint hint;
    if (item.star && expand_star) {
      const std::size_t first = hints.size();
      const std::size_t count = query_columns_->size() - (core.items.size() - 1);
      for (std::size_t c = first; c < first + count; ++c) {
        const SqlType& type = (*query_columns_)[c].type;
        ResultHint column;
        if (type.IsKnown() && type.cls != SqlType::Class::kNull) column.type = type.Declared();
        hints.push_back(std::move(column));
      }
      continue;
    }
    if (item.star) {
      hint.star = true;
    } else {
      hint.named = item.has_alias || item.expr->kind == ExprKind::kColumn;
      hint.name = item.has_alias                         ? item.alias
                  : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                         : std::u16string();
      // A column of NULLs is an int, as SQL Server types it (and makes it in SELECT INTO).
      hint.type = types[i].cls == SqlType::Class::kNull ? "int" : types[i].Declared();
    }
    hints.push_back(std::move(hint));
  }
  return hints;
}

// The type of each column of a query: the highest type of the position over a UNION's
// SELECTs; unknown where a * stands.
std::vector<SqlType> Generator::ColumnTypes(const Select& select) {
  const SelectCore& core = select.cores.front();
  std::vector<SqlType> types;
  for (std::size_t i = 0; i < core.items.size(); ++i) {
    if (core.items[i].star) {
      types.push_back(SqlType::Unknown());
      continue;
    }
    SqlType type = TypeOf(*core.items[i].expr);
    for (std::size_t c = 1; c < select.cores.size(); ++c) {
      const auto& items = select.cores[c].items;
      if (i >= items.size() || items[i].star) {
        type = SqlType::Unknown();
        break;
      }
      const SqlType other = TypeOf(*items[i].expr);
      if (type.cls == SqlType::Class::kNull) {
        type = other;
      } else if (other.cls != SqlType::Class::kNull) {
        type = HigherType(type, other);
      }
    }
    types.push_back(type);
  }
  return types;
}

// A text where the result is a number or a date is converted to it, as SQL Server converts
// the branches of CASE and COALESCE and the columns of a UNION: '' becomes 0, 'abc' an error.
void Generator::GenBranch(const Expr& branch, const SqlType& result) {
  const SqlType type = TypeOf(branch);
  const bool convert =
      (result.IsKnown() && result.cls != SqlType::Class::kNull && !result.IsText() &&
       result.cls != SqlType::Class::kBinary && type.IsText()) ||
      DiffersInPrecision(type, result);
  GenAs(branch, convert ? std::optional<SqlType>(result) : std::nullopt);
}

// A query inside another (derived table, subquery): SQL Server orders only the rows TOP
// picks there, and refuses an ORDER BY without TOP rather than ignore it.
void Generator::GenNestedSelect(const Select& select) {
  if (select.for_xml || select.for_json) {
    RaiseUnsupported(batch_, select.pos, u"FOR XML or FOR JSON in a derived table");
  }
  if (!select.order_by.empty() && !select.offset &&
      (select.cores.size() > 1 || !select.cores[0].top)) {
    RaiseSyntaxError(batch_, select.pos,
                     u"The ORDER BY clause is invalid in views, inline functions, derived "
                     u"tables, subqueries, and common table expressions, unless TOP, OFFSET or "
                     u"FOR XML is also specified");
  }
  GenSelect(select);
}

void Generator::GenSelect(const Select& select) {
  // The columns an INSERT ... SELECT stores into, for its own SELECT alone.
  const std::vector<std::optional<SqlType>>* store_types = std::exchange(store_types_, nullptr);
  const std::vector<std::string>* level_items = std::exchange(level_items_, nullptr);
  if (!select.with.empty()) GenWith(select.with, select.max_recursion);
  const std::size_t laterals = OpenLaterals(select);
  CheckDistinctOrder(select);
  const bool compound = select.cores.size() > 1;
  const std::vector<SqlType> column_types = compound ? ColumnTypes(select) : std::vector<SqlType>();
  for (std::size_t i = 0; i < select.cores.size(); ++i) {
    if (i > 0) {
      switch (select.ops[i - 1]) {
        case SetOp::kUnion:
          out_ += " UNION ";
          break;
        case SetOp::kUnionAll:
          out_ += " UNION ALL ";
          break;
        case SetOp::kExcept:
          out_ += " EXCEPT ";
          break;
        case SetOp::kIntersect:
          out_ += " INTERSECT ";
          break;
      }
    }
    const SelectCore& core = select.cores[i];
    if (level_items) level_item_ = &(*level_items)[i];
    if (compound && core.top) {
      // TOP limits its own SELECT, LIMIT the whole compound.
      out_ += "SELECT * FROM (";
      GenCore(core, column_types, store_types);
      GenLimit(core);
      out_ += ')';
    } else {
      GenCore(core, column_types, store_types);
    }
  }
  if (!select.order_by.empty()) {
    out_ += " ORDER BY ";
    const bool windows_allowed = std::exchange(windows_allowed_, true);
    for (std::size_t i = 0; i < select.order_by.size(); ++i) {
      if (i > 0) out_ += ", ";
      const Expr& expr = *select.order_by[i].expr;
      Pin(expr);  // a number orders by that column of the select list
      Gen(expr);
      if (NeedsCollation(expr) && !compound) out_ += " COLLATE TSQL";
      if (select.order_by[i].descending) out_ += " DESC";
    }
    windows_allowed_ = windows_allowed;
  }
  if (select.offset) {
    GenOffset(select);
  } else if (!compound && select.cores[0].top) {
    GenLimit(select.cores[0]);
  }
  CloseLaterals(laterals);
}

// OFFSET n ROWS [FETCH NEXT m ROWS ONLY]: SQLite's LIMIT m (or none) OFFSET n, the counts
// checked as SQL Server checks them.
void Generator::GenOffset(const Select& select) {
  for (const SelectCore& core : select.cores) {
    if (core.top) {
      RaiseStatementError(core.top->pos,
                          u"A TOP can not be used in the same query or sub-query as a OFFSET.");
    }
  }
  out_ += " LIMIT ";
  if (select.fetch) {
    out_ += "tsql_top_count(";
    Gen(*select.fetch);
    out_ += ", 'fetch')";
  } else {
    out_ += "-1";
  }
  out_ += " OFFSET tsql_top_count(";
  Gen(*select.offset);
  out_ += ", 'offset')";
}

// TOP n, or TOP n PERCENT: that share of the rows the SELECT yields, rounded up.
void Generator::GenLimit(const SelectCore& core) {
  out_ += " LIMIT ";
  if (!core.top_percent) {
    // A number written out is a count as it stands; anything else may be negative or NULL,
    // which SQL Server refuses and SQLite would read as no limit at all.
    if (core.top->kind == ExprKind::kNumber && !IsMoneyLiteral(core.top->text)) {
      Gen(*core.top);
      return;
    }
    out_ += "tsql_top_count(";
    Gen(*core.top);
    out_ += ')';
    return;
  }
  out_ += "tsql_top_percent(";
  Gen(*core.top);
  out_ += ", (SELECT count(*) FROM (";
  GenCore(core, {});
  out_ += ")))";
}

// Expressions that are neither columns nor numbers order and group under the default
// collation too; columns carry it from their declaration.
bool Generator::NeedsCollation(const Expr& expr) {
  return expr.kind != ExprKind::kColumn && expr.kind != ExprKind::kNumber &&
         expr.kind != ExprKind::kMarker;
}

// `column_types`: of a UNION's columns, which each SELECT's items are converted to.
void Generator::GenCore(const SelectCore& core, const std::vector<SqlType>& column_types,
                        const std::vector<std::optional<SqlType>>* store_types) {
  CheckGrouping(core);
  const std::string* level_item = std::exchange(level_item_, nullptr);
  const bool windows_allowed = std::exchange(windows_allowed_, true);
  const bool windows_in_aggregate = std::exchange(windows_in_aggregate_, false);
  out_ += core.distinct ? "SELECT DISTINCT " : "SELECT ";
  for (std::size_t i = 0; i < core.items.size(); ++i) {
    if (i > 0) out_ += ", ";
    const SelectItem& item = core.items[i];
    if (item.star && GenLateralStar(core, item)) continue;
    if (item.star) {
      if (!item.star_qualifier.empty()) {
        AppendQuotedName(out_, item.star_qualifier.back());
        out_ += '.';
      }
      out_ += '*';
      continue;
    }
    if (item.target) {
      GenAssigned(*item.target, *item.expr);
      continue;
    }
    if (item.expr->kind == ExprKind::kIdentity && core.has_into) {
      out_ += "NULL";  // the key SQLite makes for each row
    } else if (store_types && i < store_types->size() && column_types.empty()) {
      GenStored(*item.expr, (*store_types)[i]);
    } else if (i < column_types.size()) {
      GenBranch(*item.expr, column_types[i]);
    } else if (const std::optional<SqlType> stored = StoredFormOf(core, i)) {
      out_ += "tsql_convert('" + stored->Declared() + "', ";
      Gen(*item.expr);
      out_ += ')';
    } else {
      Gen(*item.expr);
    }
    if (core.distinct && NeedsCollation(*item.expr)) out_ += " COLLATE TSQL";
    if (item.has_alias) {
      out_ += " AS ";
      AppendQuotedName(out_, item.alias);
    } else if (item.expr->kind != ExprKind::kColumn) {
      // SQL Server leaves an expression without alias unnamed.
      out_ += " AS \"\"";
    }
  }
  if (level_item) out_ += ", " + *level_item;
  windows_allowed_ = false;
  GenFromWhere(core);
  if (!core.group_by.empty()) {
    out_ += " GROUP BY ";
    for (std::size_t i = 0; i < core.group_by.size(); ++i) {
      if (i > 0) out_ += ", ";
      Pin(*core.group_by[i]);
      Gen(*core.group_by[i]);
      if (NeedsCollation(*core.group_by[i])) out_ += " COLLATE TSQL";
    }
  }
  if (core.having) {
    out_ += " HAVING ";
    Gen(*core.having);
  }
  windows_allowed_ = windows_allowed;
  windows_in_aggregate_ = windows_in_aggregate;
}

// The type whose stored form item `i` of a SELECT INTO must be converted to: one with a stored
// form, of an item that is not a plain column. Nothing for other items and other queries.
std::optional<SqlType> Generator::StoredFormOf(const SelectCore& core, std::size_t i) const {
  if (!into_hints_ || !core.has_into || i >= into_hints_->size()) return std::nullopt;
  const SelectItem& item = core.items[i];
  if (item.star || item.expr->kind == ExprKind::kColumn || item.expr->kind == ExprKind::kConvert) {
    return std::nullopt;  // a column as its table stores it; a conversion yields the stored form
  }
  const std::optional<SqlType> type = ParseDeclaredType((*into_hints_)[i].type);
  if (!type || !HasStoredForm(*type)) return std::nullopt;
  return type;
}

void Generator::GenFromWhere(const SelectCore& core) {
  if (!core.from.empty()) {
    out_ += " FROM ";
    for (std::size_t i = 0; i < core.from.size(); ++i) {
      if (i > 0) out_ += ", ";
      GenTableRef(*core.from[i]);
    }
  }
  if (core.where) {
    out_ += " WHERE ";
    Gen(*core.where);
    NoteProbes(core);
  }
}

// A single temporary table filtered by `column = number` (with AND): the column is probed.
// Only numbers: an index on a text column could change which of two values the collation
// finds equal a MIN or MAX returns.
void Generator::NoteProbes(const SelectCore& core) {
  if (core.from.size() != 1 || core.from[0]->kind != TableRef::Kind::kTable ||
      !core.from[0]->name.IsTemp()) {
    return;
  }
  const TableRef& table = *core.from[0];
  const std::u16string& qualifier = table.has_alias ? table.alias : table.name.Name();
  const auto constant = [](const Expr& e) { return e.kind == ExprKind::kNumber; };
  const auto column = [&](const Expr& e) -> const std::u16string* {
    if (e.kind != ExprKind::kColumn || e.names.empty() || e.names.size() > 2) return nullptr;
    if (e.names.size() == 2 && !oleaut::EqualsNoCase(e.names[0], qualifier)) return nullptr;
    return &e.names.back();
  };
  std::vector<const Expr*> pending{core.where.get()};
  while (!pending.empty()) {
    const Expr& e = *pending.back();
    pending.pop_back();
    if (e.kind != ExprKind::kBinaryOp || e.args.size() != 2) continue;
    if (e.text == u"AND") {
      pending.push_back(e.args[0].get());
      pending.push_back(e.args[1].get());
    } else if (e.text == u"=") {
      const std::u16string* probed = column(*e.args[0]);
      if (!probed || !constant(*e.args[1]))
        probed = constant(*e.args[0]) ? column(*e.args[1]) : nullptr;
      if (probed) probes_.emplace_back(Utf8(TableName(table.name)), Utf8(*probed));
    }
  }
}

// A subquery used as a value must yield at most one row; SQL Server raises when it yields
// more, where SQLite would take the first. A plain subquery is counted as it is read.
void Generator::GenScalarSubquery(const Select& select) {
  if (select.for_xml) return GenXmlPath(select);
  if (select.for_json) return GenForJson(select);
  const SelectCore& core = select.cores.front();
  const bool plain = select.cores.size() == 1 && select.order_by.empty() && !core.top &&
                     !core.distinct && core.group_by.empty() && !core.having &&
                     !core.from.empty() && core.items.size() == 1 && !core.items[0].star &&
                     !ContainsAggregate(*core.items[0].expr);
  if (!plain) {
    out_ += '(';
    GenNestedSelect(select);
    out_ += ')';
    return;
  }
  out_ +=
      "(SELECT CASE WHEN count(*) > 1 THEN tsql_raise('Subquery returned more than 1 value. "
      "This is not permitted when the subquery follows =, !=, <, <= , >, >= or when the "
      "subquery is used as an expression.') ELSE min(\"v\") END FROM (SELECT ";
  const std::size_t laterals = OpenLaterals(select);
  Gen(*core.items[0].expr);
  out_ += " AS \"v\"";
  GenFromWhere(core);
  CloseLaterals(laterals);
  out_ += " LIMIT 2))";
}

// STRING_SPLIT and OPENJSON as the runtime's table-valued functions (runtime/table_functions.cpp).
// STRING_SPLIT's third argument is a constant that chooses its columns.
void Generator::GenTableFunction(const TableRef& ref) {
  if (!ref.json_columns.empty()) return GenJsonRows(ref);
  std::size_t args = ref.args.size();
  if (oleaut::EqualsNoCase(ref.name.Name(), u"openjson")) {
    out_ += "tsql_openjson(";
  } else if (args == 3) {
    const Expr& ordinal = *ref.args[2];
    if (ordinal.kind != ExprKind::kNumber || (ordinal.text != u"0" && ordinal.text != u"1")) {
      RaiseUnsupported(batch_, ordinal.pos, u"STRING_SPLIT's enable_ordinal other than 0 or 1");
    }
    out_ += ordinal.text == u"1" ? "tsql_string_split_ordinal(" : "tsql_string_split(";
    args = 2;
  } else {
    out_ += "tsql_string_split(";
  }
  for (std::size_t i = 0; i < args; ++i) {
    if (i > 0) out_ += ", ";
    Gen(*ref.args[i]);
  }
  out_ += ')';
  // Its columns are qualified by its own name when it has no alias.
  if (!ref.has_alias) {
    out_ += " AS ";
    AppendQuotedName(out_, ref.name.Name());
  }
}

// The columns of the table PIVOT or UNPIVOT reads: a table's, or a derived table's named without
// *. A source of other columns is refused by name.
std::vector<std::u16string> Generator::PivotSourceColumns(const TableRef& pivot) {
  const TableRef& source = *pivot.left;
  std::vector<std::u16string> names;
  if (source.kind == TableRef::Kind::kTable) {
    if (const auto columns = tables_.Find(source.name.Name())) {
      for (const TableColumn& column : *columns)
        names.push_back(column.name);
    }
  } else if (source.kind == TableRef::Kind::kDerived) {
    for (const SelectItem& item : source.select->cores.front().items) {
      if (item.star) {
        names.clear();
        break;
      }
      names.push_back(item.has_alias                         ? item.alias
                      : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                             : std::u16string());
    }
  }
  if (names.empty()) {
    RaiseUnsupported(batch_, pivot.pos,
                     pivot.unpivot ? u"UNPIVOT over a table of unknown columns"
                                   : u"PIVOT over a table of unknown columns");
  }
  return names;
}

// PIVOT as a grouped query: the source's other columns grouped, and for each value turned the
// aggregate of the rows whose turned column holds it.
void Generator::GenPivot(const TableRef& ref) {
  const TableRef& source = *ref.left;
  const std::vector<std::u16string> names = PivotSourceColumns(ref);
  const std::u16string& value = ref.aggregate->args[0]->names.back();
  std::vector<std::u16string> grouping;
  for (const std::u16string& name : names) {
    if (!oleaut::EqualsNoCase(name, value) && !oleaut::EqualsNoCase(name, ref.pivot_column)) {
      grouping.push_back(name);
    }
  }
  out_ += "(SELECT ";
  for (const std::u16string& name : grouping) {
    AppendQuotedName(out_, name);
    out_ += ", ";
  }
  for (std::size_t i = 0; i < ref.pivot_values.size(); ++i) {
    if (i > 0) out_ += ", ";
    out_ += Utf8(LowerAscii(ref.aggregate->text)) + "(CASE WHEN ";
    AppendQuotedName(out_, ref.pivot_column);
    out_ += " = ";
    AppendStringLiteral(out_, ref.pivot_values[i]);
    out_ += " THEN ";
    AppendQuotedName(out_, value);
    out_ += " END) AS ";
    AppendQuotedName(out_, ref.pivot_values[i]);
  }
  out_ += " FROM ";
  GenTableRef(source);
  if (!grouping.empty()) {
    out_ += " GROUP BY ";
    for (std::size_t i = 0; i < grouping.size(); ++i) {
      if (i > 0) out_ += ", ";
      AppendQuotedName(out_, grouping[i]);
    }
  }
  out_ += ')';
}

void Generator::GenTableRef(const TableRef& ref) {
  switch (ref.kind) {
    case TableRef::Kind::kTable:
      if (GenLevelledReference(ref) || GenThroughReference(ref)) return;
      AppendTable(ref.name);
      break;
    case TableRef::Kind::kDerived:
      out_ += '(';
      GenNestedSelect(*ref.select);
      out_ += ')';
      break;
    case TableRef::Kind::kJoin:
      GenTableRef(*ref.left);
      switch (ref.join) {
        case JoinType::kInner:
          out_ += " JOIN ";
          break;
        case JoinType::kLeft:
          out_ += " LEFT JOIN ";
          break;
        case JoinType::kRight:
          out_ += " RIGHT JOIN ";
          break;
        case JoinType::kFull:
          out_ += " FULL JOIN ";
          break;
        case JoinType::kCross:
          out_ += " CROSS JOIN ";
          break;
        case JoinType::kCrossApply:
          out_ += " JOIN ";
          break;
        case JoinType::kOuterApply:
          out_ += " LEFT JOIN ";
          break;
      }
      if (ref.right->kind == TableRef::Kind::kJoin) {
        out_ += '(';
        GenTableRef(*ref.right);
        out_ += ')';
      } else if (ref.right->kind == TableRef::Kind::kDerived &&
                 (ref.join == JoinType::kCrossApply || ref.join == JoinType::kOuterApply)) {
        GenLateralTable(*ref.right);
      } else {
        GenTableRef(*ref.right);
      }
      if (ref.on) {
        out_ += " ON ";
        Gen(*ref.on);
      } else if (ref.join == JoinType::kOuterApply) {
        out_ += " ON 1";
      }
      return;
    case TableRef::Kind::kFunction:
      GenTableFunction(ref);
      break;
    case TableRef::Kind::kPivot:
      if (ref.unpivot) {
        GenUnpivot(ref);
      } else {
        GenPivot(ref);
      }
      break;
  }
  if (ref.has_alias) {
    out_ += " AS ";
    AppendQuotedName(out_, ref.alias);
  }
}

}  // namespace tsql::generation
