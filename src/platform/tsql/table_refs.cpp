#include "platform/tsql/table_refs.h"

#include <algorithm>

namespace tsql {
namespace {

using Found = std::function<bool(const TableRef&)>;

bool InExpr(const Expr* expr, const Found& found);

bool InRef(const TableRef& ref, const Found& found) {
  if (found(ref)) return true;
  switch (ref.kind) {
    case TableRef::Kind::kTable:
      return false;
    case TableRef::Kind::kDerived:
      return AnyTableRef(*ref.select, found);
    case TableRef::Kind::kFunction:
      return std::any_of(ref.args.begin(), ref.args.end(),
                         [&](const ExprPtr& arg) { return InExpr(arg.get(), found); });
    case TableRef::Kind::kPivot:
      return InRef(*ref.left, found);
    case TableRef::Kind::kJoin:
      return InRef(*ref.left, found) || InRef(*ref.right, found) || InExpr(ref.on.get(), found);
  }
  return false;
}

bool InExpr(const Expr* expr, const Found& found) {
  if (!expr) return false;
  if (expr->select && AnyTableRef(*expr->select, found)) return true;
  return std::any_of(expr->args.begin(), expr->args.end(),
                     [&](const ExprPtr& arg) { return InExpr(arg.get(), found); });
}

}  // namespace

bool AnyTableRef(const Select& select, const Found& found) {
  for (const CommonTable& table : select.with) {
    if (AnyTableRef(*table.select, found)) return true;
  }
  for (const SelectCore& core : select.cores) {
    for (const TableRefPtr& ref : core.from) {
      if (InRef(*ref, found)) return true;
    }
    for (const SelectItem& item : core.items) {
      if (InExpr(item.expr.get(), found)) return true;
    }
    if (InExpr(core.where.get(), found) || InExpr(core.having.get(), found)) return true;
  }
  return false;
}

}  // namespace tsql
