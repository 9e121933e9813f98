#include "platform/tsql/grouping.h"

#include <algorithm>

#include "platform/oleaut/text.h"
#include "platform/tsql/errors.h"

namespace tsql {
namespace {

// An aggregate over a window (OVER) is computed per row, not per group.
bool IsAggregate(const Expr& expr) {
  if (expr.kind != ExprKind::kFunction || expr.over) return false;
  const std::u16string name = LowerAscii(expr.text);
  return name == u"count" || name == u"sum" || name == u"avg" || name == u"min" || name == u"max" ||
         name == u"count_big" || name == u"string_agg";
}

std::u16string ColumnText(const Expr& column) {
  std::u16string text;
  for (const std::u16string& part : column.names) {
    if (!text.empty()) text += u'.';
    text += part;
  }
  return text;
}

// The first column reference outside the grouped expressions and aggregates; nullptr for none.
const Expr* UngroupedColumn(const Expr& expr, const std::vector<ExprPtr>& group_by) {
  for (const ExprPtr& grouped : group_by) {
    if (SameExpression(expr, *grouped)) return nullptr;
  }
  if (IsAggregate(expr) || expr.kind == ExprKind::kSubquery || expr.kind == ExprKind::kExists) {
    return nullptr;
  }
  if (expr.kind == ExprKind::kColumn) return &expr;
  for (const ExprPtr& arg : expr.args) {
    if (!arg) continue;
    if (const Expr* found = UngroupedColumn(*arg, group_by)) return found;
  }
  return nullptr;
}

}  // namespace

bool ContainsAggregate(const Expr& expr) {
  if (IsAggregate(expr)) return true;
  return std::any_of(expr.args.begin(), expr.args.end(),
                     [](const ExprPtr& arg) { return arg && ContainsAggregate(*arg); });
}

bool SameExpression(const Expr& a, const Expr& b) {
  if (a.kind != b.kind || a.args.size() != b.args.size() || a.negated != b.negated ||
      a.distinct != b.distinct || a.star != b.star || a.select || b.select) {
    return false;
  }
  switch (a.kind) {
    case ExprKind::kColumn: {
      if (!oleaut::EqualsNoCase(a.names.back(), b.names.back())) return false;
      if (a.names.size() < 2 || b.names.size() < 2) return true;
      return oleaut::EqualsNoCase(a.names[a.names.size() - 2], b.names[b.names.size() - 2]);
    }
    case ExprKind::kNumber:
    case ExprKind::kString:
    case ExprKind::kBinary:
      if (a.text != b.text || a.national != b.national) return false;
      break;
    case ExprKind::kMarker:
      return false;  // two markers may hold different values
    case ExprKind::kConvert:
      if (a.type.name != b.type.name || a.type.args != b.type.args || a.type.max != b.type.max) {
        return false;
      }
      break;
    default:
      if (!oleaut::EqualsNoCase(a.text, b.text)) return false;
      break;
  }
  for (std::size_t i = 0; i < a.args.size(); ++i) {
    if (!a.args[i] || !b.args[i]) {
      if (a.args[i] || b.args[i]) return false;
      continue;
    }
    if (!SameExpression(*a.args[i], *b.args[i])) return false;
  }
  return true;
}

void CheckGrouping(const SelectCore& core) {
  bool grouped = !core.group_by.empty() || core.having;
  for (const SelectItem& item : core.items) {
    if (!item.star && ContainsAggregate(*item.expr)) grouped = true;
  }
  if (!grouped) return;
  for (const SelectItem& item : core.items) {
    if (item.star) continue;
    if (const Expr* column = UngroupedColumn(*item.expr, core.group_by)) {
      RaiseStatementError(column->pos,
                          u"Column '" + ColumnText(*column) +
                              u"' is invalid in the select list because it is not contained in "
                              u"either an aggregate function or the GROUP BY clause.");
    }
  }
  if (core.having) {
    if (const Expr* column = UngroupedColumn(*core.having, core.group_by)) {
      RaiseStatementError(column->pos,
                          u"Column '" + ColumnText(*column) +
                              u"' is invalid in the HAVING clause because it is not contained in "
                              u"either an aggregate function or the GROUP BY clause.");
    }
  }
}

void CheckDistinctOrder(const Select& select) {
  if (select.cores.size() != 1 || !select.cores[0].distinct) return;
  const SelectCore& core = select.cores[0];
  for (const OrderItem& order : select.order_by) {
    const Expr& expr = *order.expr;
    if (expr.kind == ExprKind::kNumber) continue;  // a position in the select list
    const bool selected =
        std::any_of(core.items.begin(), core.items.end(), [&](const SelectItem& item) {
          if (item.star) return true;  // the columns a * stands for are not known here
          if (SameExpression(expr, *item.expr)) return true;
          return expr.kind == ExprKind::kColumn && expr.names.size() == 1 && item.has_alias &&
                 oleaut::EqualsNoCase(expr.names[0], item.alias);
        });
    if (!selected) {
      RaiseStatementError(expr.pos,
                          u"ORDER BY items must appear in the select list if SELECT "
                          u"DISTINCT is specified.");
    }
  }
}

}  // namespace tsql
