#include "server/registration.h"

#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "typelib/library.h"

namespace server {

namespace {

using oleaut::Bstr;

struct Entry {
  Bstr key;
  Bstr name;  // "" for the key's default value
  Bstr value;
};

// Per class: HKCR\CLSID\{clsid} with its InprocServer32, ProgID and TypeLib subkeys, and
// HKCR\<ProgID>\CLSID; then the type library's version key.
std::vector<Entry> Entries(const std::filesystem::path& library) {
  const Bstr path = oleaut::FromUtf8(library.string());
  const Bstr libid = typelib::kLibrary.libid.ToBstr();
  std::vector<Entry> entries;
  for (const com::ClassInfo& info : typelib::kClasses) {
    const Bstr clsid = info.clsid.ToBstr();
    const Bstr progid = typelib::ProgIdOf(info);
    const Bstr class_key = u"HKEY_CLASSES_ROOT\\CLSID\\" + clsid;
    entries.push_back({class_key, u"", Bstr(info.name)});
    entries.push_back({class_key + u"\\InprocServer32", u"", path});
    entries.push_back({class_key + u"\\InprocServer32", u"ThreadingModel", u"Apartment"});
    entries.push_back({class_key + u"\\ProgID", u"", progid});
    entries.push_back({class_key + u"\\TypeLib", u"", libid});
    entries.push_back({u"HKEY_CLASSES_ROOT\\" + progid + u"\\CLSID", u"", clsid});
  }
  const std::string version =
      std::to_string(typelib::kLibrary.major) + "." + std::to_string(typelib::kLibrary.minor);
  entries.push_back({u"HKEY_CLASSES_ROOT\\TypeLib\\" + libid + u"\\" + oleaut::FromUtf8(version),
                     u"", Bstr(typelib::kLibrary.help_string)});
  return entries;
}

}  // namespace

void RegisterClasses(const std::filesystem::path& library) {
  const std::vector<Entry> entries = Entries(library);
  com::Registry::Default().Update([&](com::RegistryData& data) {
    for (const Entry& entry : entries)
      data.SetValue(entry.key, entry.name, entry.value);
  });
}

void UnregisterClasses() {
  const std::vector<Entry> entries = Entries({});
  com::Registry::Default().Update([&](com::RegistryData& data) {
    for (const Entry& entry : entries)
      data.DeleteValue(entry.key, entry.name);
  });
}

}  // namespace server
