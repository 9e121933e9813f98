#include "platform/oleaut/compare.h"

#include <compare>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/default_value.h"

namespace oleaut {
namespace {

enum class Kind { Empty, Null, Whole, Exact, Real, Text };

Kind KindOf(const Variant& value) {
  switch (value.Type()) {
    case VarType::Empty:
      return Kind::Empty;
    case VarType::Null:
      return Kind::Null;
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
      return Kind::Whole;
    case VarType::Decimal:
      return Kind::Exact;
    case VarType::Double:
    case VarType::Date:
      return Kind::Real;
    case VarType::String:
      return Kind::Text;
    default:
      RaiseVbError(kTypeMismatch,
                   u"a value of type " + Bstr(VarTypeName(value.Type())) + u" cannot be compared");
  }
}

Comparison FromOrdering(std::partial_ordering order) {
  if (order == std::partial_ordering::less) return Comparison::Less;
  if (order == std::partial_ordering::greater) return Comparison::Greater;
  // NaN cannot come from VB values; treat it as equal rather than inventing an order.
  return Comparison::Equal;
}

std::int64_t WholeOf(const Variant& v) {
  if (v.IsEmpty()) return 0;
  if (v.Type() == VarType::Boolean) return v.AsBoolean() ? -1 : 0;
  if (v.Type() == VarType::Integer) return v.AsInteger();
  return v.AsLong();
}

Decimal ExactOf(const Variant& v) {
  return v.Type() == VarType::Decimal ? v.AsDecimal() : Decimal::FromInt64(WholeOf(v));
}

// Empty counts as 0.
double RealOf(const Variant& v) {
  return NumberOf(v).value_or(0.0);
}

}  // namespace

Comparison Compare(const Variant& a_in, const Variant& b_in) {
  const Variant a = ValueOf(a_in);
  const Variant b = ValueOf(b_in);
  Kind ka = KindOf(a);
  Kind kb = KindOf(b);
  if (ka == Kind::Null || kb == Kind::Null) return Comparison::Null;
  if (ka == Kind::Empty && kb == Kind::Empty) return Comparison::Equal;
  if (ka == Kind::Text || kb == Kind::Text) {
    if (ka == Kind::Text && kb == Kind::Text) {
      return FromOrdering(CompareBinary(a.AsString(), b.AsString()) <=> 0);
    }
    if (ka == Kind::Empty) return FromOrdering(CompareBinary(u"", b.AsString()) <=> 0);
    if (kb == Kind::Empty) return FromOrdering(CompareBinary(a.AsString(), u"") <=> 0);
    return ka == Kind::Text ? Comparison::Greater : Comparison::Less;
  }
  if (ka == Kind::Empty) ka = Kind::Whole;
  if (kb == Kind::Empty) kb = Kind::Whole;
  if (ka == Kind::Real || kb == Kind::Real) return FromOrdering(RealOf(a) <=> RealOf(b));
  if (ka == Kind::Exact || kb == Kind::Exact) return FromOrdering(ExactOf(a) <=> ExactOf(b));
  return FromOrdering(WholeOf(a) <=> WholeOf(b));
}

}  // namespace oleaut
