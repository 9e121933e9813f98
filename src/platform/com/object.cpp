// The key functions of the platform's abstract object types (object.h says why they are here).
#include "platform/com/object.h"

#include "platform/com/class_factory.h"

namespace com {

Unknown::~Unknown() = default;

ClassFactory::~ClassFactory() = default;

}  // namespace com
