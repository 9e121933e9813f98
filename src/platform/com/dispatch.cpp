#include "platform/com/dispatch.h"

#include <fmt/format.h>

#include <stdexcept>

#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"

namespace com {

Dispatch::~Dispatch() = default;

namespace {

using oleaut::Bstr;
using oleaut::ComError;
using oleaut::Variant;
using oleaut::VarType;

constexpr std::int32_t kArgumentNotOptional = 449;
constexpr std::int32_t kWrongArgumentCount = 450;

Bstr Utf16(const std::string& utf8) {
  return oleaut::FromUtf8(utf8);
}

// "sDsn As String" etc., for the messages about argument counts.
Bstr ParamList(const MemberInfo& member) {
  Bstr list;
  for (const ParamInfo& param : member.params) {
    if (!list.empty()) list += u", ";
    if (param.optional) list += u"[";
    list += param.name;
    if (param.optional) list += u"]";
  }
  return list;
}

[[noreturn]] void RaiseWrongCount(const DispatchTable& table, const MemberInfo& member,
                                  std::size_t given) {
  const std::size_t required = member.RequiredCount();
  const std::size_t declared = member.params.size();
  std::string expected = required == declared ? fmt::format("{}", declared)
                                              : fmt::format("{} to {}", required, declared);
  Bstr description = u"Wrong number of arguments or invalid property assignment: " +
                     table.QualifiedName(member) + u" takes " +
                     Utf16(fmt::format("{} argument{}", expected, declared == 1 ? "" : "s"));
  if (declared > 0) description += u" (" + ParamList(member) + u")";
  description += Utf16(fmt::format(", {} given", given));
  throw ComError(oleaut::VbHresult(kWrongArgumentCount), Bstr(table.Source()),
                 std::move(description));
}

[[noreturn]] void RaiseNotOptional(const DispatchTable& table, const MemberInfo& member,
                                   const ParamInfo& param) {
  throw ComError(
      oleaut::VbHresult(kArgumentNotOptional), Bstr(table.Source()),
      u"Argument not optional: " + Bstr(param.name) + u" of " + table.QualifiedName(member));
}

// The argument converted to the parameter's declared type; a failing conversion keeps its
// number (13, 6 or 94) and says which parameter it was.
Variant Coerce(const DispatchTable& table, const MemberInfo& member, std::size_t index,
               const Variant& value) {
  const ParamInfo& param = member.params[index];
  if (param.type == VarType::Object && value.IsEmpty()) return Variant::Nothing();
  try {
    return oleaut::ChangeType(value, param.type);
  } catch (const ComError& error) {
    throw ComError(error.Number(), Bstr(table.Source()),
                   error.Description() + u" in argument " + Utf16(fmt::format("{} ", index + 1)) +
                       Bstr(param.name) + u" (" + Bstr(param.TypeName()) + u") of " +
                       table.QualifiedName(member));
  }
}

}  // namespace

void InvokeArgs::RaiseNotAnObject(std::size_t i) const {
  const ParamInfo& param = member_.params[i];
  oleaut::RaiseVbError(oleaut::kTypeMismatch,
                       u"argument " + Bstr(param.name) + u" of " + table_.QualifiedName(member_) +
                           u" must be a " + Bstr(param.TypeName()) + u" object",
                       table_.Source());
}

DispatchTable::DispatchTable(std::u16string_view source, const InterfaceInfo& iface,
                             std::span<const Binding> bindings)
    : source_(source), iface_(iface), bindings_(bindings) {
  if (!BindingsMatch(iface, bindings)) {
    throw std::logic_error("dispatch bindings do not match interface " +
                           oleaut::ToUtf8(iface.name));
  }
  by_name_.reserve(iface.members.size());
  for (std::size_t i = 0; i < iface.members.size(); ++i)
    by_name_.emplace(iface.members[i].name, i);
}

std::optional<std::size_t> DispatchTable::Find(std::u16string_view name) const noexcept {
  const auto found = by_name_.find(name);
  if (found == by_name_.end()) return std::nullopt;
  return found->second;
}

std::u16string DispatchTable::QualifiedName(const MemberInfo& member) const {
  // The class part of "Library.Class".
  std::u16string_view class_name = source_;
  if (const std::size_t dot = class_name.rfind(u'.'); dot != std::u16string_view::npos) {
    class_name.remove_prefix(dot + 1);
  }
  return Bstr(class_name) + u"." + Bstr(member.name);
}

DispId Dispatch::GetIDsOfNames(std::u16string_view name) const {
  if (const std::optional<std::size_t> index = table_.Find(name)) {
    return InterfaceInfo::DispIdAt(*index);
  }
  oleaut::RaiseVbError(oleaut::kNoSuchMember,
                       Bstr(table_.Source()) + u" has no member named '" + Bstr(name) + u"'",
                       table_.Source());
}

const MemberInfo& Dispatch::Member(DispId id) const {
  if (const std::optional<std::size_t> index = table_.Interface().IndexOf(id)) {
    return table_.Interface().members[*index];
  }
  throw ComError(DISP_E_MEMBERNOTFOUND, Bstr(table_.Source()),
                 Utf16(fmt::format("Member not found: no member of ")) +
                     Bstr(table_.Interface().name) +
                     Utf16(fmt::format(" has DISPID 0x{:08X}", static_cast<std::uint32_t>(id))));
}

Variant Dispatch::Invoke(DispId id, InvokeKind kind, std::span<Variant> args) {
  const MemberInfo& member = Member(id);
  const std::size_t index = static_cast<std::size_t>(id - kDispIdBase);
  if ((static_cast<std::uint8_t>(kind) & (static_cast<std::uint8_t>(InvokeKind::Method) |
                                          static_cast<std::uint8_t>(InvokeKind::PropertyGet))) ==
      0) {
    throw ComError(DISP_E_MEMBERNOTFOUND, Bstr(table_.Source()),
                   table_.QualifiedName(member) +
                       (member.kind == MemberKind::PropertyGet
                            ? Bstr(u" is a read-only property: it cannot be assigned")
                            : Bstr(u" is a method: it cannot be assigned")));
  }

  const std::span<const ParamInfo> params = member.params;
  std::size_t given = args.size();
  while (given > 0 && args[given - 1].IsMissing())
    --given;
  if (given > params.size() || given < member.RequiredCount()) {
    RaiseWrongCount(table_, member, given);
  }

  // Arguments that already have the declared type are passed in place; the others, and the
  // defaults of parameters left out, live in `converted` for the length of the call.
  std::array<Variant, kMaxParams> converted;
  std::array<Variant*, kMaxParams> slots{};
  for (std::size_t i = 0; i < params.size(); ++i) {
    const ParamInfo& param = params[i];
    if (i < given && !args[i].IsMissing()) {
      Variant& arg = args[i];
      if (param.type == VarType::Variant || arg.Type() == param.type) {
        slots[i] = &arg;
      } else {
        converted[i] = Coerce(table_, member, i, arg);
        slots[i] = &converted[i];
      }
    } else if (param.optional) {
      converted[i] = param.default_value.Make();
      slots[i] = &converted[i];
    } else {
      RaiseNotOptional(table_, member, param);
    }
  }

  const InvokeArgs invoke_args(std::span<Variant* const>(slots.data(), params.size()), table_,
                               member);
  Variant result = CallMember(table_.HandlerAt(index), invoke_args);

  for (std::size_t i = 0; i < params.size() && i < given; ++i) {
    if (params[i].by_ref && slots[i] == &converted[i] && !args[i].IsMissing()) {
      args[i] = std::move(converted[i]);
    }
  }
  return result;
}

Variant Dispatch::Invoke(std::u16string_view name, std::span<Variant> args) {
  return Invoke(GetIDsOfNames(name), InvokeKind::Method | InvokeKind::PropertyGet, args);
}

}  // namespace com
