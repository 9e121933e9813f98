#include "typelib/library.h"

#include "platform/oleaut/text.h"

namespace typelib {

std::u16string ProgIdOf(const com::ClassInfo& info) {
  return com::ProgIdOf(kLibrary, info);
}

const com::ClassInfo* FindClass(std::u16string_view name_or_progid) noexcept {
  for (const com::ClassInfo& info : kClasses) {
    if (oleaut::EqualsNoCase(name_or_progid, info.name)) return &info;
    const std::u16string_view library = kLibrary.name;
    if (name_or_progid.size() == library.size() + 1 + info.name.size() &&
        oleaut::EqualsNoCase(name_or_progid.substr(0, library.size()), library) &&
        name_or_progid[library.size()] == u'.' &&
        oleaut::EqualsNoCase(name_or_progid.substr(library.size() + 1), info.name)) {
      return &info;
    }
  }
  return nullptr;
}

}  // namespace typelib
