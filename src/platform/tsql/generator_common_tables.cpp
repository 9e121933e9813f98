// Common table expressions (WITH name AS (query)): SQLite's own, with SQL Server's checks of their
// columns and of the recursive ones, and the limit SQL Server puts on recursion (MAXRECURSION).
#include <algorithm>
#include <string>

#include "platform/tsql/errors.h"
#include "platform/tsql/generator_internal.h"
#include "platform/tsql/grouping.h"
#include "platform/tsql/table_refs.h"

namespace tsql::generation {
namespace {

constexpr std::u16string_view kLevelsSuffix = u"$levels";
constexpr std::string_view kLevelColumn = "\"tsql$level\"";

bool NamesTable(const TableRef& ref, std::u16string_view name) {
  return ref.kind == TableRef::Kind::kTable && ref.name.parts.size() == 1 &&
         oleaut::EqualsNoCase(ref.name.Name(), name);
}

// The reference to `name` in a FROM tree (its joins, not its derived tables); nullptr if none.
const TableRef* FindReference(const TableRef& ref, std::u16string_view name) {
  if (NamesTable(ref, name)) return &ref;
  if (ref.kind != TableRef::Kind::kJoin) return nullptr;
  if (const TableRef* left = FindReference(*ref.left, name)) return left;
  return FindReference(*ref.right, name);
}

const TableRef* FindReference(const SelectCore& core, std::u16string_view name) {
  for (const TableRefPtr& ref : core.from) {
    if (const TableRef* found = FindReference(*ref, name)) return found;
  }
  return nullptr;
}

// Whether the table is reached through an outer join in the FROM tree.
bool OuterJoined(const TableRef& ref, std::u16string_view name) {
  if (ref.kind != TableRef::Kind::kJoin) return false;
  if (ref.join != JoinType::kInner && ref.join != JoinType::kCross &&
      (FindReference(*ref.left, name) || FindReference(*ref.right, name))) {
    return true;
  }
  return OuterJoined(*ref.left, name) || OuterJoined(*ref.right, name);
}

std::u16string OutputName(const SelectItem& item) {
  if (item.has_alias) return item.alias;
  if (item.expr && item.expr->kind == ExprKind::kColumn) return item.expr->names.back();
  return {};
}

}  // namespace

// The columns a common table expression yields are named, once each, and as many as its list
// names: SQL Server refuses it otherwise.
void Generator::CheckCommonTableColumns(const CommonTable& table) {
  const SelectCore& first = table.select->cores.front();
  for (const SelectItem& item : first.items) {
    if (item.star) return;  // the columns are known only to the engine
  }
  if (!table.columns.empty() && first.items.size() != table.columns.size()) {
    RaiseStatementError(table.pos,
                        u"'" + table.name + u"' has " +
                            (first.items.size() > table.columns.size() ? u"more" : u"fewer") +
                            u" columns than were specified in the column list.");
  }
  std::vector<std::u16string> names = table.columns;
  if (names.empty()) {
    for (std::size_t i = 0; i < first.items.size(); ++i) {
      names.push_back(OutputName(first.items[i]));
      if (names.back().empty()) {
        RaiseStatementError(table.pos, u"No column name was specified for column " +
                                           oleaut::FromUtf8(std::to_string(i + 1)) + u" of '" +
                                           table.name + u"'.");
      }
    }
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (oleaut::EqualsNoCase(names[i], names[j])) {
        RaiseStatementError(table.pos, u"The column '" + names[i] +
                                           u"' was specified multiple times for '" + table.name +
                                           u"'.");
      }
    }
  }
}

// A common table expression reads those declared before it, not those after it: SQL Server
// looks a later one's name up as a table's (SQLite would read the later one).
void Generator::CheckLaterReferences(const std::vector<CommonTable>& tables) {
  for (std::size_t i = 0; i < tables.size(); ++i) {
    for (std::size_t j = i + 1; j < tables.size(); ++j) {
      const TableRef* named = nullptr;
      AnyTableRef(*tables[i].select, [&](const TableRef& ref) {
        if (NamesTable(ref, tables[j].name)) named = &ref;
        return named != nullptr;
      });
      if (!named) continue;
      if (tables_.Find(tables[j].name)) {
        RaiseUnsupported(batch_, named->pos,
                         u"A common table expression that reads a table named as a later one");
      }
      RaiseMissingTable(named->name.pos, named->name.Written(), MissingTable::kInvalidObjectName);
    }
  }
}

void Generator::GenWith(const std::vector<CommonTable>& tables, int max_recursion) {
  CheckLaterReferences(tables);
  out_ += "WITH ";
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (i > 0) out_ += ", ";
    const CommonTable& table = tables[i];
    CheckCommonTableColumns(table);
    const bool recursive = IsRecursive(table);
    if (recursive) CheckRecursiveTypes(table);
    if (recursive && max_recursion > 0) {
      GenRecursive(table, max_recursion);
      continue;
    }
    AppendQuotedName(out_, table.name);
    AppendNameList(table.columns);
    out_ += " AS (";
    GenNestedSelect(*table.select);
    out_ += ')';
  }
  out_ += ' ';
}

// A common table expression that reads itself: anchor SELECTs first, then the recursive ones,
// joined by UNION ALL, none of which groups, picks distinct rows or the TOP ones, or reads
// itself through an outer join.
bool Generator::IsRecursive(const CommonTable& table) {
  const Select& select = *table.select;
  std::size_t first_recursive = select.cores.size();
  for (std::size_t i = 0; i < select.cores.size(); ++i) {
    const SelectCore& core = select.cores[i];
    if (!FindReference(core, table.name)) {
      if (first_recursive < i) {
        RaiseStatementError(core.pos, u"Recursive member of a common table expression '" +
                                          table.name + u"' has multiple recursive references.");
      }
      continue;
    }
    if (i == 0) {
      RaiseStatementError(table.pos, u"No anchor member was specified for recursive query \"" +
                                         table.name + u"\".");
    }
    if (first_recursive == select.cores.size()) first_recursive = i;
    const auto refuse = [&](std::u16string_view what) {
      RaiseStatementError(core.pos, std::u16string(what) +
                                        u" not allowed in the recursive part of a recursive "
                                        u"common table expression '" +
                                        table.name + u"'.");
    };
    if (core.distinct) refuse(u"DISTINCT operator is");
    if (core.top) refuse(u"TOP operator is");
    if (!core.group_by.empty() || core.having ||
        std::any_of(core.items.begin(), core.items.end(), [](const SelectItem& item) {
          return item.expr && ContainsAggregate(*item.expr);
        })) {
      refuse(u"GROUP BY, HAVING, or aggregate functions are");
    }
    for (const TableRefPtr& ref : core.from) {
      if (OuterJoined(*ref, table.name)) refuse(u"Outer join is");
    }
  }
  if (first_recursive == select.cores.size()) return false;
  if (select.ops[first_recursive - 1] != SetOp::kUnionAll) {
    RaiseStatementError(table.pos, u"Recursive common table expression '" + table.name +
                                       u"' does not contain a top-level UNION ALL operator.");
  }
  return true;
}

// Each column of a recursive part has the type of the anchor's, lengths included.
void Generator::CheckRecursiveTypes(const CommonTable& table) {
  const Select& select = *table.select;
  const SelectCore& anchor = select.cores.front();
  for (std::size_t c = 1; c < select.cores.size(); ++c) {
    const SelectCore& core = select.cores[c];
    if (!FindReference(core, table.name) || core.items.size() != anchor.items.size()) continue;
    for (std::size_t i = 0; i < core.items.size(); ++i) {
      if (!anchor.items[i].expr || !core.items[i].expr) return;  // a *
      const SqlType first = TypeOf(*anchor.items[i].expr);
      const SqlType next = TypeOf(*core.items[i].expr);
      if (!first.IsKnown() || !next.IsKnown() || first.cls == SqlType::Class::kNull ||
          next.cls == SqlType::Class::kNull || first.Declared() == next.Declared()) {
        continue;
      }
      const std::u16string column =
          i < table.columns.size() ? table.columns[i] : OutputName(anchor.items[i]);
      RaiseStatementError(core.pos,
                          u"Types don't match between the anchor and the recursive "
                          u"part in column \"" +
                              column + u"\" of recursive query \"" + table.name + u"\".");
    }
  }
}

// name$levels yields the rows with the level each was made at (the anchor's 0); a row made past
// the limit ends the statement with SQL Server's error. The name the query reads leaves the level
// out.
void Generator::GenRecursive(const CommonTable& table, int max_recursion) {
  std::vector<std::u16string> names = table.columns;
  if (names.empty()) {
    for (const SelectItem& item : table.select->cores.front().items) {
      if (item.star) {
        RaiseUnsupported(batch_, table.pos,
                         u"A recursive common table expression whose anchor selects *");
      }
      names.push_back(OutputName(item));
    }
  }
  const std::u16string levels = table.name + std::u16string(kLevelsSuffix);
  AppendQuotedName(out_, levels);
  out_ += " (";
  for (const std::u16string& name : names) {
    AppendQuotedName(out_, name);
    out_ += ", ";
  }
  out_ += kLevelColumn;
  out_ += ") AS (";
  std::vector<std::string> level_items;
  for (const SelectCore& core : table.select->cores) {
    const TableRef* self = FindReference(core, table.name);
    if (!self) {
      level_items.emplace_back("0");
      continue;
    }
    std::string level;
    AppendQuotedName(level, self->has_alias ? self->alias : self->name.Name());
    level += '.';
    level += kLevelColumn;
    level_items.push_back("CASE WHEN " + level + " >= " + std::to_string(max_recursion) +
                          " THEN tsql_raise('The statement terminated. The maximum recursion " +
                          std::to_string(max_recursion) +
                          " has been exhausted before statement completion.') ELSE " + level +
                          " + 1 END");
  }
  const CommonTable* outer = std::exchange(levelled_, &table);
  level_items_ = &level_items;
  GenNestedSelect(*table.select);
  levelled_ = outer;
  out_ += "), ";
  AppendQuotedName(out_, table.name);
  out_ += " AS (SELECT ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out_ += ", ";
    AppendQuotedName(out_, names[i]);
  }
  out_ += " FROM ";
  AppendQuotedName(out_, levels);
  out_ += ')';
}

// The recursive reference of the common table expression being generated reads name$levels.
bool Generator::GenLevelledReference(const TableRef& ref) {
  if (!levelled_ || !NamesTable(ref, levelled_->name)) return false;
  AppendQuotedName(out_, levelled_->name + std::u16string(kLevelsSuffix));
  out_ += " AS ";
  AppendQuotedName(out_, ref.has_alias ? ref.alias : ref.name.Name());
  return true;
}

}  // namespace tsql::generation
