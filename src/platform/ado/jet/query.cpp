#include "platform/ado/jet/query.h"

#include <algorithm>
#include <optional>

#include "platform/ado/jet/errors.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

// An operand once resolved: a column of the table, or a literal.
struct BoundOperand {
  std::optional<std::size_t> column;
  oleaut::Variant literal;
};

struct BoundCondition {
  Condition::Kind kind = Condition::Kind::kCompare;
  CompareOp op = CompareOp::kEqual;
  BoundOperand left;
  BoundOperand right;
  std::unique_ptr<BoundCondition> first;
  std::unique_ptr<BoundCondition> second;
};

enum class Truth { kFalse, kTrue, kUnknown };

class Binder {
 public:
  Binder(const MdbTable& table, const SelectStatement& select) : table_(table), select_(select) {}

  // A qualifier names the table or its alias; Jet takes anything else for a parameter.
  void CheckQualifier(const ColumnRef& ref) const {
    if (!ref.qualifier.empty() && !oleaut::EqualsNoCase(ref.qualifier, table_.Name()) &&
        !oleaut::EqualsNoCase(ref.qualifier, select_.table_alias)) {
      RaiseUnknownName(ref.qualifier + u"." + ref.name, table_.Name());
    }
  }

  std::size_t Column(const ColumnRef& ref) const {
    CheckQualifier(ref);
    const auto& columns = table_.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (oleaut::EqualsNoCase(columns[i].name, ref.name)) return i;
    }
    RaiseUnknownName(ref.name, table_.Name());
  }

  std::unique_ptr<BoundCondition> Bind(const Condition& condition) const {
    auto bound = std::make_unique<BoundCondition>();
    bound->kind = condition.kind;
    bound->op = condition.op;
    switch (condition.kind) {
      case Condition::Kind::kAnd:
      case Condition::Kind::kOr:
        bound->first = Bind(*condition.first);
        bound->second = Bind(*condition.second);
        break;
      case Condition::Kind::kNot:
        bound->first = Bind(*condition.first);
        break;
      case Condition::Kind::kIsNull:
      case Condition::Kind::kIsNotNull:
        bound->left = Operand(condition.left);
        break;
      case Condition::Kind::kCompare:
        bound->left = Operand(condition.left);
        bound->right = Operand(condition.right);
        CheckComparable(*bound);
        break;
    }
    return bound;
  }

 private:
  BoundOperand Operand(const jet::Operand& operand) const {
    BoundOperand bound;
    if (const auto* column = std::get_if<ColumnRef>(&operand)) {
      bound.column = Column(*column);
    } else {
      bound.literal = std::get<Literal>(operand).value;
    }
    return bound;
  }

  std::optional<ValueClass> ClassOfOperand(const BoundOperand& operand) const {
    if (operand.column) return ClassOf(table_.Columns()[*operand.column].code);
    if (operand.literal.IsNull()) return std::nullopt;
    if (operand.literal.IsString()) return ValueClass::kText;
    return ValueClass::kNumber;
  }

  std::u16string Describe(const BoundOperand& operand) const {
    if (operand.column) return u"column " + table_.Columns()[*operand.column].name;
    return operand.literal.IsString() ? u"a text" : u"a number";
  }

  void CheckComparable(const BoundCondition& compare) const {
    const auto left = ClassOfOperand(compare.left);
    const auto right = ClassOfOperand(compare.right);
    if (left && right && (*left != *right || *left == ValueClass::kBinary)) {
      RaiseTypeMismatch(Describe(compare.left) + u" compared with " + Describe(compare.right));
    }
  }

  const MdbTable& table_;
  const SelectStatement& select_;
};

// -1, 0 or 1; both values are non-Null and of one class.
int CompareValues(const oleaut::Variant& a, const oleaut::Variant& b) {
  if (a.IsString() && b.IsString()) {
    const std::u16string x = oleaut::UCase(a.AsString());
    const std::u16string y = oleaut::UCase(b.AsString());
    return x < y ? -1 : (y < x ? 1 : 0);
  }
  if (a.Type() == oleaut::VarType::Decimal && b.Type() == oleaut::VarType::Decimal) {
    const auto order = a.AsDecimal() <=> b.AsDecimal();
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
  }
  const double x = oleaut::ToDouble(a);
  const double y = oleaut::ToDouble(b);
  return x < y ? -1 : (y < x ? 1 : 0);
}

class RowEvaluator {
 public:
  explicit RowEvaluator(const RowView& row) : row_(row) {}

  Truth Evaluate(const BoundCondition& condition) {
    switch (condition.kind) {
      case Condition::Kind::kAnd:
      case Condition::Kind::kOr: {
        // The value that decides alone: False for AND, True for OR; else Unknown wins.
        const Truth decisive =
            condition.kind == Condition::Kind::kAnd ? Truth::kFalse : Truth::kTrue;
        const Truth a = Evaluate(*condition.first);
        if (a == decisive) return a;
        const Truth b = Evaluate(*condition.second);
        if (b == decisive) return b;
        return a == Truth::kUnknown || b == Truth::kUnknown ? Truth::kUnknown : a;
      }
      case Condition::Kind::kNot: {
        const Truth a = Evaluate(*condition.first);
        if (a == Truth::kUnknown) return a;
        return a == Truth::kTrue ? Truth::kFalse : Truth::kTrue;
      }
      case Condition::Kind::kIsNull:
      case Condition::Kind::kIsNotNull: {
        const bool null = Value(condition.left).IsNull();
        return null == (condition.kind == Condition::Kind::kIsNull) ? Truth::kTrue : Truth::kFalse;
      }
      case Condition::Kind::kCompare:
        break;
    }
    const oleaut::Variant left = Value(condition.left);
    const oleaut::Variant right = Value(condition.right);
    if (left.IsNull() || right.IsNull()) return Truth::kUnknown;
    const int order = CompareValues(left, right);
    bool holds = false;
    switch (condition.op) {
      case CompareOp::kEqual:
        holds = order == 0;
        break;
      case CompareOp::kNotEqual:
        holds = order != 0;
        break;
      case CompareOp::kLess:
        holds = order < 0;
        break;
      case CompareOp::kLessOrEqual:
        holds = order <= 0;
        break;
      case CompareOp::kGreater:
        holds = order > 0;
        break;
      case CompareOp::kGreaterOrEqual:
        holds = order >= 0;
        break;
    }
    return holds ? Truth::kTrue : Truth::kFalse;
  }

 private:
  oleaut::Variant Value(const BoundOperand& operand) const {
    return operand.column ? row_.Value(*operand.column) : operand.literal;
  }

  const RowView& row_;
};

// Orders Nulls first, as Jet sorts them.
int CompareForOrder(const oleaut::Variant& a, const oleaut::Variant& b) {
  if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
  return CompareValues(a, b);
}

}  // namespace

RowSet RunSelect(MdbFile& file, const SelectStatement& select) {
  MdbTable& table = file.Table(select.table);
  const Binder binder(table, select);
  RowSet result;
  std::vector<std::size_t> projected;
  for (const SelectItem& item : select.items) {
    if (item.all_columns) {
      binder.CheckQualifier({item.column.qualifier, u"*"});
      for (std::size_t i = 0; i < table.Columns().size(); ++i) {
        projected.push_back(i);
        result.columns.push_back(
            DescribeColumn(file.Version(), table.Columns()[i], table.Columns()[i].name));
      }
      continue;
    }
    const std::size_t column = binder.Column(item.column);
    projected.push_back(column);
    result.columns.push_back(DescribeColumn(file.Version(), table.Columns()[column],
                                            item.alias.empty() ? item.column.name : item.alias));
  }
  const std::unique_ptr<BoundCondition> where = select.where ? binder.Bind(*select.where) : nullptr;
  std::vector<std::size_t> order_columns;
  for (const OrderItem& item : select.order_by) {
    const std::size_t column = binder.Column(item.column);
    if (ClassOf(table.Columns()[column].code) == ValueClass::kBinary ||
        table.Columns()[column].code == kJetMemo) {
      RaiseSyntaxError(u"Cannot sort on a Memo or OLE Object column.",
                       u"ORDER BY " + item.column.name);
    }
    order_columns.push_back(column);
  }

  const std::size_t width = projected.size() + order_columns.size();
  std::vector<oleaut::Variant> rows;
  const bool stop_at_top = select.top && order_columns.empty();
  std::size_t kept = 0;
  table.Scan([&](const RowView& row) {
    if (stop_at_top && kept >= static_cast<std::size_t>(*select.top)) return false;
    if (where && RowEvaluator(row).Evaluate(*where) != Truth::kTrue) return true;
    for (const std::size_t column : projected)
      rows.push_back(row.Value(column));
    for (const std::size_t column : order_columns)
      rows.push_back(row.Value(column));
    ++kept;
    return true;
  });

  std::vector<std::size_t> order(kept);
  for (std::size_t i = 0; i < kept; ++i)
    order[i] = i;
  const auto compare_rows = [&](std::size_t a, std::size_t b) {
    for (std::size_t k = 0; k < order_columns.size(); ++k) {
      const std::size_t at = projected.size() + k;
      const int c = CompareForOrder(rows[a * width + at], rows[b * width + at]);
      if (c != 0) return select.order_by[k].descending ? c > 0 : c < 0;
    }
    return false;
  };
  if (!order_columns.empty()) std::stable_sort(order.begin(), order.end(), compare_rows);
  std::size_t take = kept;
  if (select.top && *select.top < static_cast<std::int64_t>(kept)) {
    take = static_cast<std::size_t>(*select.top);
    // Jet's TOP keeps the rows that tie with the last one taken.
    while (!order_columns.empty() && take > 0 && take < kept &&
           !compare_rows(order[take - 1], order[take])) {
      ++take;
    }
  }
  result.values.reserve(take * projected.size());
  for (std::size_t i = 0; i < take; ++i) {
    for (std::size_t c = 0; c < projected.size(); ++c)
      result.values.push_back(std::move(rows[order[i] * width + c]));
  }
  return result;
}

}  // namespace ado::jet
