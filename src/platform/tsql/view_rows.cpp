#include "platform/tsql/view_rows.h"

#include <algorithm>
#include <optional>

#include "platform/oleaut/text.h"
#include "platform/tsql/grouping.h"

namespace tsql {
namespace {

constexpr std::string_view kBaseOpening = "/* tsql view base: ";
constexpr std::string_view kBaseClosing = " */";

constexpr std::string_view kCheckWord = " check";

constexpr std::pair<ViewChange, std::string_view> kChangeWords[] = {
    {ViewChange::kBaseTable, "table"},
    {ViewChange::kJoined, "joined"},
    {ViewChange::kGrouped, "grouped"},
    {ViewChange::kOther, "other"},
};

// The tables of a FROM clause's joins; false when it holds anything but tables and plain joins.
bool CollectTables(const TableRef& ref, std::vector<const TableRef*>& tables) {
  if (ref.kind == TableRef::Kind::kTable) {
    tables.push_back(&ref);
    return true;
  }
  if (ref.kind != TableRef::Kind::kJoin || ref.join == JoinType::kCrossApply ||
      ref.join == JoinType::kOuterApply) {
    return false;
  }
  return CollectTables(*ref.left, tables) && CollectTables(*ref.right, tables);
}

std::u16string_view QualifierOf(const TableRef& table) {
  return table.has_alias ? table.alias : table.name.Name();
}

bool HasColumn(const TableColumns* columns, std::u16string_view name) {
  return columns && std::any_of(columns->begin(), columns->end(), [&](const TableColumn& column) {
           return oleaut::EqualsNoCase(column.name, name);
         });
}

void AppendQuoted(std::string& out, std::u16string_view name) {
  out += '"';
  for (char c : oleaut::ToUtf8(name)) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

// A name between double quotes at the start of `text`, which it leaves after the name.
std::optional<std::u16string> TakeQuoted(std::string_view& text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string name;
  std::size_t i = 1;
  for (; i < text.size(); ++i) {
    if (text[i] == '"') {
      if (i + 1 < text.size() && text[i + 1] == '"') {
        name += '"';
        ++i;
        continue;
      }
      break;
    }
    name += text[i];
  }
  if (i >= text.size()) return std::nullopt;
  text.remove_prefix(i + 1);
  return oleaut::FromUtf8(name);
}

}  // namespace

QueryBase BaseOf(const Select& select, const ColumnsOf& columns_of) {
  QueryBase base;
  if (select.cores.size() != 1 || !select.with.empty()) return base;
  const SelectCore& core = select.cores.front();
  if (core.distinct || !core.group_by.empty() || core.having ||
      std::any_of(core.items.begin(), core.items.end(), [](const SelectItem& item) {
        return item.expr && ContainsAggregate(*item.expr);
      })) {
    base.change = ViewChange::kGrouped;
    return base;
  }
  if (core.top || core.has_into) return base;
  std::vector<const TableRef*> tables;
  for (const TableRefPtr& ref : core.from) {
    if (!CollectTables(*ref, tables)) return base;
  }
  if (tables.empty()) return base;
  for (std::size_t t = 0; t < tables.size(); ++t) {
    for (std::size_t u = 0; u < t; ++u) {
      // A table joined to itself: its rows' keys could not be told apart by its name.
      if (oleaut::EqualsNoCase(tables[t]->name.Name(), tables[u]->name.Name())) return base;
    }
  }
  std::vector<std::shared_ptr<const TableColumns>> columns;
  for (const TableRef* table : tables) {
    columns.push_back(columns_of(table->name));
    // A view over a view: the change would have to reach through both.
    if (columns.back() && !columns.back()->empty() &&
        columns.back()->front().view != ViewChange::kNone) {
      return base;
    }
  }
  const auto shows = [&](std::size_t table, std::u16string_view column) {
    base.base_tables.push_back(tables[table]->name.Name());
    base.base_columns.emplace_back(column);
  };
  const auto computed = [&] {
    base.base_tables.emplace_back();
    base.base_columns.emplace_back();
  };
  for (const SelectItem& item : core.items) {
    if (item.star) {
      for (std::size_t t = 0; t < tables.size(); ++t) {
        if (!item.star_qualifier.empty() &&
            !oleaut::EqualsNoCase(item.star_qualifier.back(), QualifierOf(*tables[t]))) {
          continue;
        }
        if (!columns[t]) return QueryBase{};  // its columns are known only to the engine
        for (const TableColumn& column : *columns[t]) {
          base.names.push_back(column.name);
          shows(t, column.name);
        }
      }
      continue;
    }
    const Expr& expr = *item.expr;
    base.names.push_back(item.has_alias                   ? item.alias
                         : expr.kind == ExprKind::kColumn ? expr.names.back()
                                                          : std::u16string());
    std::optional<std::size_t> found;
    if (expr.kind == ExprKind::kColumn && expr.names.size() <= 2) {
      for (std::size_t t = 0; t < tables.size() && !found; ++t) {
        const bool named = expr.names.size() == 2
                               ? oleaut::EqualsNoCase(expr.names[0], QualifierOf(*tables[t]))
                               : tables.size() == 1 || HasColumn(columns[t].get(), expr.names[0]);
        if (named) found = t;
      }
    }
    if (found) {
      shows(*found, expr.names.back());
    } else {
      computed();
    }
  }
  const bool one_table = tables.size() == 1;
  base.change = one_table ? ViewChange::kBaseTable : ViewChange::kJoined;
  base.tables = tables;
  if (!one_table) return base;
  // A computed column stands on the table's rows too: a DELETE through the view reaches them.
  base.table = tables.front();
  for (std::u16string& table : base.base_tables)
    table = base.table->name.Name();
  return base;
}

std::string ViewBaseComment(const QueryBase& base) {
  std::string comment(kBaseOpening);
  for (const auto& [change, word] : kChangeWords) {
    if (change == base.change) comment += word;
  }
  if (base.check_option) comment += kCheckWord;
  const bool listed = base.change == ViewChange::kBaseTable || base.change == ViewChange::kJoined;
  if (base.change == ViewChange::kBaseTable) {
    comment += ' ';
    AppendQuoted(comment, base.table->name.Name());
  }
  for (std::size_t i = 0; listed && i < base.base_columns.size(); ++i) {
    comment += ' ';
    if (base.base_columns[i].empty()) {
      comment += '-';
      continue;
    }
    AppendQuoted(comment, base.base_tables[i]);
    comment += '.';
    AppendQuoted(comment, base.base_columns[i]);
  }
  comment += kBaseClosing;
  // A name holding the comment's end cannot be kept in it: no change reaches such a view.
  if (comment.find("*/") != comment.size() - 2) {
    QueryBase other;
    return ViewBaseComment(other);
  }
  return comment;
}

void ReadViewBase(std::string_view definition, TableColumns& columns) {
  const std::size_t start = definition.find(kBaseOpening);
  if (start == std::string_view::npos) return;
  std::string_view text = definition.substr(start + kBaseOpening.size());
  std::optional<ViewChange> change;
  for (const auto& [kind, word] : kChangeWords) {
    if (text.starts_with(word)) {
      change = kind;
      text.remove_prefix(word.size());
      break;
    }
  }
  if (!change) return;
  const bool check_option = text.starts_with(kCheckWord);
  if (check_option) text.remove_prefix(kCheckWord.size());
  std::u16string view_table;  // kBaseTable's, of every column
  if (*change == ViewChange::kBaseTable) {
    if (!text.starts_with(' ')) return;
    text.remove_prefix(1);
    std::optional<std::u16string> named = TakeQuoted(text);
    if (!named) return;
    view_table = std::move(*named);
  }
  std::vector<std::pair<std::u16string, std::u16string>> bases;
  while (text.starts_with(' ') && !text.starts_with(kBaseClosing)) {
    text.remove_prefix(1);
    if (text.starts_with('-')) {
      text.remove_prefix(1);
      bases.emplace_back(view_table, std::u16string());
      continue;
    }
    std::optional<std::u16string> table = TakeQuoted(text);
    if (!table || !text.starts_with('.')) return;
    text.remove_prefix(1);
    std::optional<std::u16string> column = TakeQuoted(text);
    if (!column) return;
    bases.emplace_back(std::move(*table), std::move(*column));
  }
  const bool listed = *change == ViewChange::kBaseTable || *change == ViewChange::kJoined;
  if (listed && bases.size() != columns.size()) return;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    columns[i].view = *change;
    columns[i].check_option = check_option;
    if (!listed) continue;
    columns[i].base_table = bases[i].first;
    columns[i].base_column = bases[i].second;
  }
}

}  // namespace tsql
