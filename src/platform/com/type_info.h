// Type information as data: libraries, classes, interfaces, members and parameters, in the
// shape of a type library.
//
// Tables are constexpr, so a class's binding of C++ handlers to its interface is checked when it
// is compiled (see bind.h), and the same tables drive late-bound calls (dispatch.h) and
// `tavprint typelib`. DISPIDs are not stored: a member's DISPID is kDispIdBase plus its position
// in the interface, so they always follow interface order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/com/guid.h"
#include "platform/oleaut/variant.h"

namespace com {

using DispId = std::int32_t;
// The first member of every interface; the ones after it count up by one, as VB numbers the
// members of a class.
inline constexpr DispId kDispIdBase = 0x60030000;

enum class MemberKind : std::uint8_t { Method, PropertyGet };

// The value an optional parameter takes when the caller leaves it out; without one (None) the
// callee sees Missing, as IsMissing does in VB.
struct DefaultValue {
  enum class Kind : std::uint8_t { None, Empty, Nothing, Text, Long, Boolean };
  Kind kind = Kind::None;
  std::u16string_view text;
  std::int32_t number = 0;

  static constexpr DefaultValue Nothing() { return {Kind::Nothing, {}, 0}; }
  static constexpr DefaultValue Text(std::u16string_view value) { return {Kind::Text, value, 0}; }
  static constexpr DefaultValue Long(std::int32_t value) { return {Kind::Long, {}, value}; }

  oleaut::Variant Make() const;
  // As the type library viewer writes it: Nothing, "", 0.
  std::u16string Describe() const;
};

struct ParamInfo {
  std::u16string_view name;
  oleaut::VarType type = oleaut::VarType::Variant;
  // For objects, the class the parameter expects ("Recordset", "VDL.Dictionary"); empty for
  // the Automation types, which VarTypeName names.
  std::u16string_view type_name;
  bool by_ref = false;
  bool optional = false;
  DefaultValue default_value;

  std::u16string_view TypeName() const;
};

struct MemberInfo {
  std::u16string_view name;
  MemberKind kind = MemberKind::Method;
  std::span<const ParamInfo> params;
  // VarType::Empty for a member without a result.
  oleaut::VarType result = oleaut::VarType::Empty;
  std::u16string_view result_type_name;

  bool HasResult() const noexcept { return result != oleaut::VarType::Empty; }
  std::u16string_view ResultTypeName() const;
  // Parameters a caller must pass: those before the first optional one.
  std::size_t RequiredCount() const noexcept;
};

struct InterfaceInfo {
  std::u16string_view name;
  Guid iid;
  std::span<const MemberInfo> members;

  static constexpr DispId DispIdAt(std::size_t index) noexcept {
    return kDispIdBase + static_cast<DispId>(index);
  }
  // The position of `id`, or nothing when no member of this interface has it.
  std::optional<std::size_t> IndexOf(DispId id) const noexcept;
};

struct ClassInfo {
  std::u16string_view name;
  Guid clsid;
  const InterfaceInfo* default_interface = nullptr;
};

struct LibraryInfo {
  std::u16string_view name;
  Guid libid;
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  std::uint32_t lcid = 0;
  std::u16string_view help_string;
  std::span<const ClassInfo> classes;
};

// A library of one class whose default interface is its only one, registered as version 1.0 in
// US English, as the product's small components are. Kept where it is made (a static constant):
// its class points at its interface and its library at its class.
struct SingleClassLibrary {
  struct Names {
    std::u16string_view name;
    Guid guid;
  };
  constexpr SingleClassLibrary(Names library_names, std::u16string_view help_string,
                               Names class_names, Names interface_names,
                               std::span<const MemberInfo> members)
      : interface {
    interface_names.name, interface_names.guid, members
  }, classes{{class_names.name, class_names.guid, &interface}},
      library{library_names.name, library_names.guid, 1, 0, 0x409, help_string, classes} {
  }
  SingleClassLibrary(const SingleClassLibrary&) = delete;
  SingleClassLibrary& operator=(const SingleClassLibrary&) = delete;

  InterfaceInfo interface;
  ClassInfo classes[1];
  LibraryInfo library;
};

// "<Library>.<Class>", the ProgID registration gives a class ("TAVMPrintExport.clsGetData").
std::u16string ProgIdOf(const LibraryInfo& library, const ClassInfo& info);

// Shorthand for the tables.
constexpr ParamInfo In(std::u16string_view name, oleaut::VarType type,
                       std::u16string_view type_name = {}) {
  return {name, type, type_name, false, false, {}};
}
constexpr ParamInfo InOut(std::u16string_view name, oleaut::VarType type,
                          std::u16string_view type_name = {}) {
  return {name, type, type_name, true, false, {}};
}
constexpr ParamInfo Optional(std::u16string_view name, oleaut::VarType type,
                             DefaultValue default_value, std::u16string_view type_name = {}) {
  return {name, type, type_name, false, true, default_value};
}

}  // namespace com
