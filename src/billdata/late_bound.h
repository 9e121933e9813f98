// The objects the bill data members create by ProgID and call by name: the product's outside
// components, through the thread's object creator, and the platform's own classes.
#pragma once

#include <string_view>

#include "platform/com/dispatch.h"
#include "platform/com/object.h"

namespace billdata {

// `object` as a late-bound callable; Object doesn't support this property or method (438)
// naming `progid` when it cannot be called by name.
com::Ptr<com::Dispatch> LateBound(const com::Ptr<com::Unknown>& object, std::u16string_view progid);

// A product component created by the thread's object creator (activated through the registry,
// never linked in), ready to be called by name.
com::Ptr<com::Dispatch> CreateProductObject(std::u16string_view progid);

}  // namespace billdata
