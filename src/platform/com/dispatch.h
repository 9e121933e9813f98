// Dispatch: late-bound calls by member name or DISPID (IDispatch's GetIDsOfNames and Invoke).
//
// A class describes its interface as data (type_info.h) and binds each member to a C++ handler
// once, in a static DispatchTable (bind.h makes the handlers from member functions). One generic
// Invoke then serves every late-bound caller: it finds the member, checks the argument count,
// fills optional parameters from their defaults, coerces each argument to the declared type with
// oleaut::ChangeType, calls the handler and writes by-reference parameters back.
//
// Arguments are passed in declaration order (not reversed as in DISPPARAMS). An Empty argument
// for an object parameter is Nothing, as an unset object variable is. A call allocates nothing
// beyond what the handler and the conversions themselves need.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/com/object.h"
#include "platform/com/type_info.h"
#include "platform/oleaut/folded_names.h"
#include "platform/oleaut/variant.h"

namespace com {

class Dispatch;
class DispatchTable;

// The most parameters a member may declare; the arguments of a call live on the stack.
inline constexpr std::size_t kMaxParams = 16;

// Flags of a call, as IDispatch::Invoke's wFlags. VB passes Method | PropertyGet for a call
// whose result it uses; both reach methods and property gets alike.
enum class InvokeKind : std::uint8_t { Method = 1, PropertyGet = 2, PropertyPut = 4 };
constexpr InvokeKind operator|(InvokeKind a, InvokeKind b) {
  return static_cast<InvokeKind>(static_cast<std::uint8_t>(a) | static_cast<std::uint8_t>(b));
}

// The arguments a handler sees: one per declared parameter, already of the declared type.
class InvokeArgs {
 public:
  InvokeArgs(std::span<oleaut::Variant* const> slots, const DispatchTable& table,
             const MemberInfo& member) noexcept
      : slots_(slots), table_(table), member_(member) {}

  std::size_t Size() const noexcept { return slots_.size(); }
  // The member being called.
  const MemberInfo& Member() const noexcept { return member_; }
  const oleaut::Variant& operator[](std::size_t i) const noexcept { return *slots_[i]; }
  // A by-reference parameter: what the handler stores here reaches the caller.
  oleaut::Variant& ByRef(std::size_t i) const noexcept { return *slots_[i]; }
  // An object parameter seen through interface T; Nothing gives an empty pointer. An object of
  // another class raises Type mismatch (13) naming the parameter.
  template <class T>
  Ptr<T> Object(std::size_t i) const {
    const oleaut::Variant& value = *slots_[i];
    if (!value.IsObject()) RaiseNotAnObject(i);
    if (!value.AsObject()) return {};
    Ptr<T> typed = As<T>(value.AsObject());
    if (!typed) RaiseNotAnObject(i);
    return typed;
  }

 private:
  [[noreturn]] void RaiseNotAnObject(std::size_t i) const;

  std::span<oleaut::Variant* const> slots_;
  const DispatchTable& table_;
  const MemberInfo& member_;
};

using Handler = oleaut::Variant (*)(Dispatch& self, const InvokeArgs& args);

// What a handler's C++ signature expects of one parameter; checked against the interface.
struct ParamSig {
  oleaut::VarType type = oleaut::VarType::Variant;
  bool by_ref = false;
  bool any_type = false;  // a Variant parameter takes whatever the interface declares
};

struct Binding {
  std::u16string_view name;
  Handler handler = nullptr;
  std::span<const ParamSig> params;
  bool any_result = false;
  oleaut::VarType result = oleaut::VarType::Empty;
};

// True when `bindings` bind every member of `iface` in interface order, by exact name, with
// handlers whose C++ parameters and result fit the declared ones. Meant for static_assert.
constexpr bool BindingsMatch(const InterfaceInfo& iface, std::span<const Binding> bindings) {
  if (bindings.size() != iface.members.size()) return false;
  for (std::size_t m = 0; m < bindings.size(); ++m) {
    const MemberInfo& member = iface.members[m];
    const Binding& binding = bindings[m];
    // The handler is not compared with nullptr: under -fsanitize GCC cannot fold that in a
    // constant expression, and Bind always sets one.
    if (binding.name != member.name) return false;
    if (member.params.size() > kMaxParams) return false;
    if (binding.params.size() != member.params.size()) return false;
    for (std::size_t p = 0; p < member.params.size(); ++p) {
      const ParamSig& sig = binding.params[p];
      const ParamInfo& param = member.params[p];
      if (sig.by_ref != param.by_ref) return false;
      if (!sig.any_type && sig.type != param.type) return false;
    }
    if (!binding.any_result && binding.result != member.result) return false;
  }
  return true;
}

// One class's members bound to handlers, with the name index. Built once per class (a function
// static) and shared by every instance.
class DispatchTable {
 public:
  // `source` names the class in the errors Invoke raises ("TAVMPrintExport.clsGetData").
  DispatchTable(std::u16string_view source, const InterfaceInfo& iface,
                std::span<const Binding> bindings);
  DispatchTable(const DispatchTable&) = delete;
  DispatchTable& operator=(const DispatchTable&) = delete;

  const InterfaceInfo& Interface() const noexcept { return iface_; }
  std::u16string_view Source() const noexcept { return source_; }
  // The position of the member called `name` (without regard to case), if there is one.
  std::optional<std::size_t> Find(std::u16string_view name) const noexcept;
  Handler HandlerAt(std::size_t index) const noexcept { return bindings_[index].handler; }
  // "clsGetData.ExecuteSQL", for messages.
  std::u16string QualifiedName(const MemberInfo& member) const;

 private:
  std::u16string_view source_;
  const InterfaceInfo& iface_;
  std::span<const Binding> bindings_;
  // Member names are identifiers; folding ASCII letters is what makes the lookup case-blind.
  std::unordered_map<std::u16string_view, std::size_t, oleaut::FoldedHash<oleaut::UpperAscii>,
                     oleaut::FoldedEqual<oleaut::UpperAscii>>
      by_name_;
};

class Dispatch : public Unknown {
 public:
  ~Dispatch() override;
  const InterfaceInfo& Interface() const noexcept { return table_.Interface(); }
  const DispatchTable& Table() const noexcept { return table_; }

  // GetIDsOfNames for one name; an unknown name raises 438 naming it.
  DispId GetIDsOfNames(std::u16string_view name) const;
  // The member with DISPID `id`; DISP_E_MEMBERNOTFOUND when there is none.
  const MemberInfo& Member(DispId id) const;

  // Calls member `id`. `args` are the caller's, in declaration order; by-reference parameters
  // are written back into them when the call succeeds. Trailing Missing arguments count as
  // left out.
  oleaut::Variant Invoke(DispId id, InvokeKind kind, std::span<oleaut::Variant> args);
  oleaut::Variant Invoke(std::u16string_view name, std::span<oleaut::Variant> args);

  // Invoke by name with the arguments given in place, for callers that need nothing back
  // through by-reference parameters.
  template <class... A>
  oleaut::Variant Call(std::u16string_view name, A&&... args) {
    std::array<oleaut::Variant, sizeof...(A)> values{oleaut::Variant(std::forward<A>(args))...};
    return Invoke(name, std::span<oleaut::Variant>(values));
  }

 protected:
  explicit Dispatch(const DispatchTable& table) noexcept : table_(table) {}

  // Runs one member's handler once its arguments are ready. A class overrides it to frame every
  // late-bound call (the component opens its per-call transaction here).
  virtual oleaut::Variant CallMember(Handler handler, const InvokeArgs& args) {
    return handler(*this, args);
  }

 private:
  const DispatchTable& table_;
};

}  // namespace com
