// Variant: the Automation VARIANT. One value of Empty, Null, Integer (16-bit), Long, Double,
// Decimal, Date, String, Boolean, object reference (Nothing is an empty reference), byte array,
// or Missing (an optional argument the caller left out).
//
// Construction and exact access live here; conversions with the runtime's semantics (CLng,
// CStr, Val, ...) are in convert.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/com/object.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"
#include "platform/oleaut/text.h"

namespace oleaut {

// VARTYPE values, as VarType() reports them.
enum class VarType : std::uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,   // VT_I2
  Long = 3,      // VT_I4
  Double = 5,    // VT_R8
  Date = 7,      // VT_DATE
  String = 8,    // VT_BSTR
  Object = 9,    // VT_DISPATCH
  Error = 10,    // VT_ERROR: only as Missing
  Boolean = 11,  // VT_BOOL
  Variant = 12,  // VT_VARIANT: a declared parameter type that takes anything
  Decimal = 14,  // VT_DECIMAL
  ByteArray = 0x2011,  // VT_ARRAY | VT_UI1
};

struct NullValue {
  friend bool operator==(NullValue, NullValue) = default;
};
struct MissingValue {
  friend bool operator==(MissingValue, MissingValue) = default;
};
inline constexpr NullValue kNull{};
inline constexpr MissingValue kMissing{};

using ObjectRef = com::Ptr<com::Unknown>;
using ByteArray = std::vector<std::uint8_t>;

class Variant {
 public:
  Variant() = default;  // Empty
  Variant(NullValue) : v_(kNull) {}                     // NOLINT(google-explicit-constructor)
  Variant(MissingValue) : v_(kMissing) {}               // NOLINT(google-explicit-constructor)
  Variant(std::int16_t v) : v_(v) {}                    // NOLINT(google-explicit-constructor)
  Variant(std::int32_t v) : v_(v) {}                    // NOLINT(google-explicit-constructor)
  Variant(double v) : v_(v) {}                          // NOLINT(google-explicit-constructor)
  Variant(const Decimal& v) : v_(v) {}                  // NOLINT(google-explicit-constructor)
  Variant(Date v) : v_(v) {}                            // NOLINT(google-explicit-constructor)
  Variant(Bstr v) : v_(std::move(v)) {}                 // NOLINT(google-explicit-constructor)
  Variant(std::u16string_view v) : v_(Bstr(v)) {}       // NOLINT(google-explicit-constructor)
  Variant(const char16_t* v) : v_(Bstr(v)) {}           // NOLINT(google-explicit-constructor)
  Variant(bool v) : v_(v) {}                            // NOLINT(google-explicit-constructor)
  Variant(const char*) = delete;  // narrow text is UTF-8 only at the edges: use FromUtf8
  Variant(ByteArray v) : v_(std::move(v)) {}            // NOLINT(google-explicit-constructor)
  template <class T, class = std::enable_if_t<std::is_base_of_v<com::Unknown, T>>>
  Variant(com::Ptr<T> object) : v_(ObjectRef(std::move(object))) {}  // NOLINT
  // Nothing: an object reference that points nowhere.
  static Variant Nothing() { return Variant(ObjectRef()); }

  VarType Type() const noexcept { return static_cast<VarType>(kTypes[v_.index()]); }
  bool IsEmpty() const noexcept { return v_.index() == 0; }
  bool IsNull() const noexcept { return std::holds_alternative<NullValue>(v_); }
  bool IsMissing() const noexcept { return std::holds_alternative<MissingValue>(v_); }
  bool IsObject() const noexcept { return std::holds_alternative<ObjectRef>(v_); }
  // True for an object reference that is Nothing.
  bool IsNothing() const noexcept { return IsObject() && !std::get<ObjectRef>(v_); }
  bool IsString() const noexcept { return std::holds_alternative<Bstr>(v_); }
  bool IsNumeric() const noexcept;  // Integer, Long, Double, Decimal

  // Exact access: the stored value when the Variant holds that type, else Type mismatch (13).
  std::int16_t AsInteger() const { return Get<std::int16_t>(); }
  std::int32_t AsLong() const { return Get<std::int32_t>(); }
  double AsDouble() const { return Get<double>(); }
  const Decimal& AsDecimal() const { return Get<Decimal>(); }
  Date AsDate() const { return Get<Date>(); }
  const Bstr& AsString() const { return Get<Bstr>(); }
  bool AsBoolean() const { return Get<bool>(); }
  const ByteArray& AsByteArray() const { return Get<ByteArray>(); }
  ByteArray& AsByteArray() { return GetMutable<ByteArray>(); }
  const ObjectRef& AsObject() const { return Get<ObjectRef>(); }
  // The object seen through interface T: an empty pointer for Nothing; Type mismatch (13) when
  // the Variant is not an object, Object required (424) when the object is not a T.
  template <class T>
  com::Ptr<T> AsObjectOf() const;

  // Same type and equal value (texts by exact code units, objects by identity).
  friend bool operator==(const Variant& a, const Variant& b) noexcept { return a.v_ == b.v_; }

 private:
  using Storage = std::variant<std::monostate, NullValue, MissingValue, std::int16_t,
                               std::int32_t, double, Decimal, Date, Bstr, bool, ObjectRef,
                               ByteArray>;
  static constexpr std::uint16_t kTypes[] = {0, 1, 10, 2, 3, 5, 14, 7, 8, 11, 9, 0x2011};

  template <class T>
  const T& Get() const {
    if (const T* p = std::get_if<T>(&v_)) return *p;
    RaiseTypeMismatch();
  }
  template <class T>
  T& GetMutable() {
    if (T* p = std::get_if<T>(&v_)) return *p;
    RaiseTypeMismatch();
  }
  [[noreturn]] void RaiseTypeMismatch() const;
  [[noreturn]] static void RaiseNotAnInterface();

  Storage v_;
};

template <class T>
com::Ptr<T> Variant::AsObjectOf() const {
  const ObjectRef& object = AsObject();
  if (!object) return {};
  com::Ptr<T> typed = com::As<T>(object);
  if (!typed) RaiseNotAnInterface();
  return typed;
}

// The name of a VarType as TypeName() gives it ("Long", "String", "Nothing" is not a type).
std::u16string_view VarTypeName(VarType type) noexcept;

}  // namespace oleaut
