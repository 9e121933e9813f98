#include "platform/oleaut/default_value.h"

#include "platform/oleaut/com_error.h"

namespace oleaut {

HasDefaultValue::~HasDefaultValue() = default;

namespace {

// A default value that leads back to an object with a default value again and again is a
// fault of that object; stop rather than loop forever.
constexpr int kMaxDefaultDepth = 16;

const HasDefaultValue* DefaultOf(const Variant& value) {
  if (!value.IsObject() || value.IsNothing()) return nullptr;
  return dynamic_cast<const HasDefaultValue*>(value.AsObject().Get());
}

}  // namespace

Variant ValueOf(const Variant& value) {
  const HasDefaultValue* object = DefaultOf(value);
  if (object == nullptr) return value;
  Variant current = object->DefaultValue();
  for (int depth = 1; const HasDefaultValue* next = DefaultOf(current); ++depth) {
    if (depth == kMaxDefaultDepth) {
      RaiseVbError(kTypeMismatch, u"an object's default value does not lead to a value");
    }
    current = next->DefaultValue();
  }
  return current;
}

}  // namespace oleaut
