#include "platform/oleaut/variant.h"

#include "platform/oleaut/com_error.h"

namespace oleaut {

bool Variant::IsNumeric() const noexcept {
  switch (Type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Double:
    case VarType::Decimal: return true;
    default: return false;
  }
}

void Variant::RaiseTypeMismatch() const {
  RaiseVbError(kTypeMismatch, std::u16string(u"the value is a ") +
                                  std::u16string(VarTypeName(Type())));
}

void Variant::RaiseNotAnInterface() {
  RaiseVbError(kObjectRequired, u"the object does not support the interface asked for");
}

std::u16string_view VarTypeName(VarType type) noexcept {
  switch (type) {
    case VarType::Empty: return u"Empty";
    case VarType::Null: return u"Null";
    case VarType::Integer: return u"Integer";
    case VarType::Long: return u"Long";
    case VarType::Double: return u"Double";
    case VarType::Date: return u"Date";
    case VarType::String: return u"String";
    case VarType::Object: return u"Object";
    case VarType::Error: return u"Error";
    case VarType::Boolean: return u"Boolean";
    case VarType::Variant: return u"Variant";
    case VarType::Decimal: return u"Decimal";
    case VarType::ByteArray: return u"Byte()";
  }
  return u"Unknown";
}

}  // namespace oleaut
