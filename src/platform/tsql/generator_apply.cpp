// CROSS APPLY and OUTER APPLY over a derived table. SQLite has no lateral join, but a table-valued
// function may read the tables before it: the derived table's rows, computed for each row before
// it, are handed to json_each as one JSON array of row arrays, and a reference to one of its
// columns reads that column's place in the row ("a"."x" becomes json_extract("a"."value", '$[0]')).
#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"

namespace tsql::generation {
namespace {

bool IsApply(const TableRef& ref) {
  return ref.kind == TableRef::Kind::kJoin &&
         (ref.join == JoinType::kCrossApply || ref.join == JoinType::kOuterApply);
}

}  // namespace

// Makes the derived tables that the FROM clauses of `select` APPLY known to the column
// references generated until CloseLaterals(mark); returns the mark.
std::size_t Generator::OpenLaterals(const Select& select) {
  const std::size_t mark = laterals_.size();
  ++lateral_depth_;
  for (const SelectCore& core : select.cores) {
    for (const TableRefPtr& ref : core.from)
      CollectLaterals(*ref);
  }
  return mark;
}

void Generator::CloseLaterals(std::size_t mark) {
  laterals_.resize(mark);
  --lateral_depth_;
}

void Generator::CollectLaterals(const TableRef& ref) {
  if (ref.kind == TableRef::Kind::kFunction && !ref.json_columns.empty()) {
    CollectJsonSchema(ref);
    return;
  }
  if (ref.kind != TableRef::Kind::kJoin) return;
  CollectLaterals(*ref.left);
  CollectLaterals(*ref.right);
  if (!IsApply(ref) || ref.right->kind != TableRef::Kind::kDerived) return;
  Lateral lateral;
  lateral.alias = ref.right->alias;
  lateral.depth = lateral_depth_;
  for (const SelectItem& item : ref.right->select->cores.front().items) {
    if (item.star) {
      RaiseUnsupported(batch_, item.pos, u"A * in a derived table that APPLY joins");
    }
    lateral.columns.push_back(item.has_alias                         ? item.alias
                              : item.expr->kind == ExprKind::kColumn ? item.expr->names.back()
                                                                     : std::u16string());
    if (lateral.columns.back().empty()) {
      RaiseStatementError(item.pos, u"No column name was specified for column " +
                                        oleaut::FromUtf8(std::to_string(lateral.columns.size())) +
                                        u" of '" + lateral.alias + u"'.");
    }
  }
  laterals_.push_back(std::move(lateral));
}

// A column of a derived table that APPLY joins: its place in the row's JSON array. A name
// without qualifier is one only in the query that joins it.
bool Generator::GenLateralColumn(const Expr& expr) {
  const std::vector<std::u16string>& names = expr.names;
  if (laterals_.empty() || names.size() > 2) return false;
  for (auto lateral = laterals_.rbegin(); lateral != laterals_.rend(); ++lateral) {
    if (names.size() == 2 ? !oleaut::EqualsNoCase(names[0], lateral->alias)
                          : lateral->depth != lateral_depth_) {
      continue;
    }
    for (std::size_t i = 0; i < lateral->columns.size(); ++i) {
      if (!oleaut::EqualsNoCase(lateral->columns[i], names.back())) continue;
      AppendLateralColumn(*lateral, i);
      return true;
    }
    if (names.size() == 2) RaiseInvalidColumnName(expr.pos, names.back());
  }
  return false;
}

// OPENJSON ... WITH: each column read from the row's JSON by its path, converted to its type
// (an AS JSON column is the object or array's text).
void Generator::CollectJsonSchema(const TableRef& ref) {
  Lateral lateral;
  lateral.alias = ref.has_alias ? ref.alias : ref.name.Name();
  lateral.depth = lateral_depth_;
  for (const JsonColumn& column : ref.json_columns) {
    lateral.columns.push_back(column.name);
    std::u16string path = column.path;
    for (std::u16string_view mode : {u"lax ", u"strict "}) {
      if (path.starts_with(mode)) path.erase(0, mode.size());
    }
    std::string read = "json_extract(";
    AppendQuotedName(read, lateral.alias);
    read += ".\"value\", ";
    AppendStringLiteral(read, path);
    read += ')';
    if (!column.as_json)
      read = "tsql_convert('" + ColumnType(column.type).Declared() + "', " + read + ')';
    lateral.reads.push_back(std::move(read));
  }
  laterals_.push_back(std::move(lateral));
}

// The rows OPENJSON ... WITH reads: the elements of the array at its path, or the object there
// as one row.
void Generator::GenJsonRows(const TableRef& ref) {
  if (ref.args.size() > 1 && ref.args[1]->kind != ExprKind::kString) {
    RaiseUnsupported(batch_, ref.args[1]->pos, u"OPENJSON ... WITH at a path that is no literal");
  }
  std::u16string path = ref.args.size() > 1 ? ref.args[1]->text : u"$";
  for (std::u16string_view mode : {u"lax ", u"strict "}) {
    if (path.starts_with(mode)) path.erase(0, mode.size());
  }
  const auto value = [&] {
    out_ += "json_extract(";
    Gen(*ref.args[0]);
    out_ += ", ";
    AppendStringLiteral(out_, path);
    out_ += ')';
  };
  out_ += "json_each(CASE json_type(";
  Gen(*ref.args[0]);
  out_ += ", ";
  AppendStringLiteral(out_, path);
  out_ += ") WHEN 'object' THEN json_array(json(";
  value();
  out_ += ")) WHEN 'array' THEN json(";
  value();
  out_ += ") END)";
  if (!ref.has_alias) {
    out_ += " AS ";
    AppendQuotedName(out_, ref.name.Name());
  }
}

// A text compares under the default collation, as the column it came from did.
void Generator::AppendLateralColumn(const Lateral& lateral, std::size_t i) {
  if (!lateral.reads.empty()) {
    out_ += '(' + lateral.reads[i] + ')';
    return;
  }
  out_ += "(json_extract(";
  AppendQuotedName(out_, lateral.alias);
  out_ += ".\"value\", '$[" + std::to_string(i) + "]') COLLATE TSQL)";
}

// json_each over the derived table's rows, computed where the row before it is known.
void Generator::GenLateralTable(const TableRef& ref) {
  out_ += "json_each((SELECT json_group_array(json_array(";
  const Lateral* lateral = nullptr;
  for (const Lateral& known : laterals_) {
    if (oleaut::EqualsNoCase(known.alias, ref.alias)) lateral = &known;
  }
  for (std::size_t i = 0; lateral && i < lateral->columns.size(); ++i) {
    if (i > 0) out_ += ", ";
    AppendQuotedName(out_, lateral->columns[i]);
  }
  out_ += ")) FROM (";
  GenNestedSelect(*ref.select);
  out_ += "))) AS ";
  AppendQuotedName(out_, ref.alias);
}

// A * (or alias.*) over a FROM clause that joins a derived table by APPLY: the derived table's
// columns by name, the other tables' as SQLite expands them. False when no such table is in
// reach of the item.
bool Generator::GenLateralStar(const SelectCore& core, const SelectItem& item) {
  bool any = false;
  for (const Lateral& lateral : laterals_)
    any = any || lateral.depth == lateral_depth_;
  if (!any) return false;
  bool first = true;
  const auto star_of = [&](const TableRef& ref, const auto& self) -> void {
    if (ref.kind == TableRef::Kind::kJoin) {
      self(*ref.left, self);
      self(*ref.right, self);
      return;
    }
    const std::u16string qualifier = ref.has_alias ? ref.alias : ref.name.Name();
    if (!item.star_qualifier.empty() &&
        !oleaut::EqualsNoCase(item.star_qualifier.back(), qualifier)) {
      return;
    }
    const Lateral* lateral = nullptr;
    for (const Lateral& known : laterals_) {
      if (known.depth == lateral_depth_ &&
          (ref.kind == TableRef::Kind::kDerived || !ref.json_columns.empty()) &&
          oleaut::EqualsNoCase(known.alias, qualifier)) {
        lateral = &known;
      }
    }
    if (!lateral) {
      out_ += first ? "" : ", ";
      AppendQuotedName(out_, qualifier);
      out_ += ".*";
      first = false;
      return;
    }
    for (std::size_t i = 0; i < lateral->columns.size(); ++i) {
      out_ += first ? "" : ", ";
      AppendLateralColumn(*lateral, i);
      out_ += " AS ";
      AppendQuotedName(out_, lateral->columns[i]);
      first = false;
    }
  };
  for (const TableRefPtr& ref : core.from)
    star_of(*ref, star_of);
  return !first;
}

}  // namespace tsql::generation
