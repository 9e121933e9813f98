// Bind<&Class::Member>(name): a dispatch handler made from a C++ member function.
//
// The handler unpacks the already coerced arguments into the function's parameters and wraps
// its result in a Variant. The parameter types say what the interface must declare, which
// BindingsMatch checks at compile time:
//   const Variant&       any type, by value        Variant&         any type, by reference
//   const Bstr&          String                    std::int32_t     Long
//   std::int16_t         Integer                   bool             Boolean
//   double               Double                    const Ptr<T>&    an object (Nothing allowed)
// Results: void (no result), Variant (any), Bstr, std::int32_t, std::int16_t, bool, double,
// Ptr<T> (an object).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/com/dispatch.h"

namespace com {

namespace bind_detail {

using oleaut::Variant;
using oleaut::VarType;

template <class T>
struct Arg;

template <>
struct Arg<const Variant&> {
  static constexpr ParamSig kSig{VarType::Variant, false, true};
  static const Variant& Get(const InvokeArgs& args, std::size_t i) { return args[i]; }
};
template <>
struct Arg<Variant&> {
  static constexpr ParamSig kSig{VarType::Variant, true, true};
  static Variant& Get(const InvokeArgs& args, std::size_t i) { return args.ByRef(i); }
};
template <>
struct Arg<const oleaut::Bstr&> {
  static constexpr ParamSig kSig{VarType::String, false, false};
  static const oleaut::Bstr& Get(const InvokeArgs& args, std::size_t i) {
    return args[i].AsString();
  }
};
template <>
struct Arg<std::int32_t> {
  static constexpr ParamSig kSig{VarType::Long, false, false};
  static std::int32_t Get(const InvokeArgs& args, std::size_t i) { return args[i].AsLong(); }
};
template <>
struct Arg<std::int16_t> {
  static constexpr ParamSig kSig{VarType::Integer, false, false};
  static std::int16_t Get(const InvokeArgs& args, std::size_t i) { return args[i].AsInteger(); }
};
template <>
struct Arg<bool> {
  static constexpr ParamSig kSig{VarType::Boolean, false, false};
  static bool Get(const InvokeArgs& args, std::size_t i) { return args[i].AsBoolean(); }
};
template <>
struct Arg<double> {
  static constexpr ParamSig kSig{VarType::Double, false, false};
  static double Get(const InvokeArgs& args, std::size_t i) { return args[i].AsDouble(); }
};
template <class T>
struct Arg<const Ptr<T>&> {
  static constexpr ParamSig kSig{VarType::Object, false, false};
  static Ptr<T> Get(const InvokeArgs& args, std::size_t i) { return args.template Object<T>(i); }
};

template <class R>
struct Result;
template <>
struct Result<void> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Empty;
};
template <>
struct Result<Variant> {
  static constexpr bool kAny = true;
  static constexpr VarType kType = VarType::Variant;
};
template <>
struct Result<oleaut::Bstr> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::String;
};
template <>
struct Result<std::int32_t> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Long;
};
template <>
struct Result<std::int16_t> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Integer;
};
template <>
struct Result<bool> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Boolean;
};
template <>
struct Result<double> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Double;
};
template <class T>
struct Result<Ptr<T>> {
  static constexpr bool kAny = false;
  static constexpr VarType kType = VarType::Object;
};

template <class M>
struct Method;
template <class C, class R, class... A>
struct Method<R (C::*)(A...)> {
  using Class = C;
  using Return = R;
  static constexpr std::array<ParamSig, sizeof...(A)> kSigs{Arg<A>::kSig...};

  template <auto F, std::size_t... I>
  static Variant Call(C& object, const InvokeArgs& args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      (object.*F)(Arg<A>::Get(args, I)...);
      return {};
    } else {
      return Variant((object.*F)(Arg<A>::Get(args, I)...));
    }
  }
  template <auto F>
  static Variant Thunk(Dispatch& self, const InvokeArgs& args) {
    return Call<F>(static_cast<C&>(self), args, std::index_sequence_for<A...>{});
  }
};
template <class C, class R, class... A>
struct Method<R (C::*)(A...) const> {
  using Class = C;
  using Return = R;
  static constexpr std::array<ParamSig, sizeof...(A)> kSigs{Arg<A>::kSig...};

  template <auto F, std::size_t... I>
  static Variant Call(const C& object, const InvokeArgs& args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      (object.*F)(Arg<A>::Get(args, I)...);
      return {};
    } else {
      return Variant((object.*F)(Arg<A>::Get(args, I)...));
    }
  }
  template <auto F>
  static Variant Thunk(Dispatch& self, const InvokeArgs& args) {
    return Call<F>(static_cast<const C&>(self), args, std::index_sequence_for<A...>{});
  }
};

}  // namespace bind_detail

template <auto F>
constexpr Binding Bind(std::u16string_view name) {
  using M = bind_detail::Method<decltype(F)>;
  using R = bind_detail::Result<typename M::Return>;
  return Binding{name, &M::template Thunk<F>, std::span<const ParamSig>(M::kSigs), R::kAny,
                 R::kType};
}

}  // namespace com
