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
// A parameter passed by value as one Automation type, read with the Variant's accessor `Read`.
template <class T, VarType kType, auto Read>
struct ValueArg {
  static constexpr ParamSig kSig{kType, false, false};
  static T Get(const InvokeArgs& args, std::size_t i) { return (args[i].*Read)(); }
};
template <>
struct Arg<const oleaut::Bstr&>
    : ValueArg<const oleaut::Bstr&, VarType::String, &Variant::AsString> {};
template <>
struct Arg<std::int32_t> : ValueArg<std::int32_t, VarType::Long, &Variant::AsLong> {};
template <>
struct Arg<std::int16_t> : ValueArg<std::int16_t, VarType::Integer, &Variant::AsInteger> {};
template <>
struct Arg<bool> : ValueArg<bool, VarType::Boolean, &Variant::AsBoolean> {};
template <>
struct Arg<double> : ValueArg<double, VarType::Double, &Variant::AsDouble> {};
template <class T>
struct Arg<const Ptr<T>&> {
  static constexpr ParamSig kSig{VarType::Object, false, false};
  static Ptr<T> Get(const InvokeArgs& args, std::size_t i) { return args.template Object<T>(i); }
};

// What a result of C++ type R declares: its Automation type, or any type for a Variant.
template <VarType kResultType>
struct ResultOf {
  static constexpr bool kAny = kResultType == VarType::Variant;
  static constexpr VarType kType = kResultType;
};
template <class R>
struct Result;
template <>
struct Result<void> : ResultOf<VarType::Empty> {};
template <>
struct Result<Variant> : ResultOf<VarType::Variant> {};
template <>
struct Result<oleaut::Bstr> : ResultOf<VarType::String> {};
template <>
struct Result<std::int32_t> : ResultOf<VarType::Long> {};
template <>
struct Result<std::int16_t> : ResultOf<VarType::Integer> {};
template <>
struct Result<bool> : ResultOf<VarType::Boolean> {};
template <>
struct Result<double> : ResultOf<VarType::Double> {};
template <class T>
struct Result<Ptr<T>> : ResultOf<VarType::Object> {};

// A member function of `Self` (const-qualified for a const member) returning R from A...
template <class Self, class R, class... A>
struct MemberOf {
  using Return = R;
  static constexpr std::array<ParamSig, sizeof...(A)> kSigs{Arg<A>::kSig...};

  template <auto F, std::size_t... I>
  static Variant Call(Self& object, const InvokeArgs& args, std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
      (object.*F)(Arg<A>::Get(args, I)...);
      return {};
    } else {
      return Variant((object.*F)(Arg<A>::Get(args, I)...));
    }
  }
  template <auto F>
  static Variant Thunk(Dispatch& self, const InvokeArgs& args) {
    return Call<F>(static_cast<Self&>(self), args, std::index_sequence_for<A...>{});
  }
};

template <class M>
struct Method;
template <class C, class R, class... A>
struct Method<R (C::*)(A...)> : MemberOf<C, R, A...> {};
template <class C, class R, class... A>
struct Method<R (C::*)(A...) const> : MemberOf<const C, R, A...> {};

}  // namespace bind_detail

template <auto F>
constexpr Binding Bind(std::u16string_view name) {
  using M = bind_detail::Method<decltype(F)>;
  using R = bind_detail::Result<typename M::Return>;
  return Binding{name, &M::template Thunk<F>, std::span<const ParamSig>(M::kSigs), R::kAny,
                 R::kType};
}

}  // namespace com
