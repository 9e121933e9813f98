#include "platform/com/type_info.h"

#include <fmt/format.h>

namespace com {

oleaut::Variant DefaultValue::Make() const {
  switch (kind) {
    case Kind::None:
      return oleaut::kMissing;  // the callee sees IsMissing, as in VB
    case Kind::Empty:
      return {};
    case Kind::Nothing:
      return oleaut::Variant::Nothing();
    case Kind::Text:
      return oleaut::Variant(text);
    case Kind::Long:
      return oleaut::Variant(number);
    case Kind::Boolean:
      return oleaut::Variant(number != 0);
  }
  return {};
}

std::u16string DefaultValue::Describe() const {
  switch (kind) {
    case Kind::None:
      return {};
    case Kind::Empty:
      return u"Empty";
    case Kind::Nothing:
      return u"Nothing";
    case Kind::Text:
      return u"\"" + std::u16string(text) + u"\"";
    case Kind::Long:
      return oleaut::FromUtf8(fmt::format("{}", number));
    case Kind::Boolean:
      return number != 0 ? u"True" : u"False";
  }
  return {};
}

std::u16string_view ParamInfo::TypeName() const {
  return type_name.empty() ? oleaut::VarTypeName(type) : type_name;
}

std::u16string_view MemberInfo::ResultTypeName() const {
  if (!result_type_name.empty()) return result_type_name;
  return HasResult() ? oleaut::VarTypeName(result) : std::u16string_view();
}

std::size_t MemberInfo::RequiredCount() const noexcept {
  std::size_t required = 0;
  while (required < params.size() && !params[required].optional)
    ++required;
  return required;
}

std::optional<std::size_t> InterfaceInfo::IndexOf(DispId id) const noexcept {
  if (id < kDispIdBase) return std::nullopt;
  const auto index = static_cast<std::size_t>(id - kDispIdBase);
  if (index >= members.size()) return std::nullopt;
  return index;
}

std::u16string ProgIdOf(const LibraryInfo& library, const ClassInfo& info) {
  return std::u16string(library.name) + u"." + std::u16string(info.name);
}

}  // namespace com
