#include "platform/com/activation.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/com/error_info.h"
#include "platform/com/registry.h"
#include "platform/oleaut/com_error.h"

namespace com {

namespace {

using oleaut::Bstr;
using oleaut::ComError;

constexpr std::u16string_view kSource = u"TAVPlatform.Activation";

[[noreturn]] void Raise(HRESULT hr, std::u16string description) {
  throw ComError(hr, Bstr(kSource), std::move(description));
}

Bstr PathText(const std::filesystem::path& path) {
  return oleaut::FromUtf8(path.string());
}

struct Library {
  void* handle = nullptr;
  DllGetClassObjectFn get_class_object = nullptr;
  DllCanUnloadNowFn can_unload_now = nullptr;
};

struct Builtin {
  Bstr progid;
  BuiltinCreator create = nullptr;
};

// Loaded libraries by path, and the platform's own classes. Function statics, so that classes
// registering themselves during static initialisation find them constructed.
std::mutex& TableMutex() {
  static std::mutex mutex;
  return mutex;
}
std::map<std::string, Library>& Libraries() {
  static std::map<std::string, Library> libraries;
  return libraries;
}
std::map<Guid, Builtin>& BuiltinsByClsid() {
  static std::map<Guid, Builtin> builtins;
  return builtins;
}
std::map<Bstr, Guid>& BuiltinsByProgId() {
  static std::map<Bstr, Guid> builtins;
  return builtins;
}

void* Symbol(void* handle, const char* name) {
  dlerror();
  return dlsym(handle, name);
}

// The library at `path`, loaded on first use. Call with TableMutex held.
Library& LoadLocked(const std::filesystem::path& path) {
  const std::string key = path.string();
  if (const auto found = Libraries().find(key); found != Libraries().end()) return found->second;
  void* handle = dlopen(key.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    Raise(CO_E_DLLNOTFOUND, u"Cannot load the server library " + PathText(path) + u": " +
                                oleaut::FromUtf8(reason != nullptr ? reason : "unknown error"));
  }
  Library library;
  library.handle = handle;
  library.get_class_object =
      reinterpret_cast<DllGetClassObjectFn>(Symbol(handle, "DllGetClassObject"));
  library.can_unload_now = reinterpret_cast<DllCanUnloadNowFn>(Symbol(handle, "DllCanUnloadNow"));
  if (library.get_class_object == nullptr) {
    dlclose(handle);
    Raise(CO_E_ERRORINDLL,
          u"The library " + PathText(path) + u" is not a server: it has no DllGetClassObject");
  }
  return Libraries().emplace(key, library).first->second;
}

// Wraps a builtin creator as a class factory.
class BuiltinFactory final : public ClassFactory {
 public:
  explicit BuiltinFactory(BuiltinCreator create) : create_(create) {}
  Ptr<Unknown> CreateInstance(const Guid&) override { return create_(); }
  void LockServer(bool) override {}  // the platform library is never unloaded

 private:
  BuiltinCreator create_;
};

void CallEntry(const std::filesystem::path& library, const char* entry) {
  DllRegisterServerFn function = nullptr;
  {
    const std::lock_guard lock(TableMutex());
    const Library& loaded = LoadLocked(library);
    function = reinterpret_cast<DllRegisterServerFn>(Symbol(loaded.handle, entry));
  }
  if (function == nullptr) {
    Raise(CO_E_ERRORINDLL,
          u"The library " + PathText(library) + u" has no " + oleaut::FromUtf8(entry));
  }
  ClearErrorInfo();
  RaiseIfFailed(function(), oleaut::FromUtf8(std::string(entry) + " of " + library.string()));
}

}  // namespace

bool RegisterBuiltinClass(std::u16string_view progid, const Guid& clsid, BuiltinCreator create) {
  const std::lock_guard lock(TableMutex());
  BuiltinsByClsid()[clsid] = Builtin{Bstr(progid), create};
  BuiltinsByProgId()[oleaut::UCase(progid)] = clsid;
  return true;
}

Guid ClsidFromProgID(std::u16string_view progid) {
  {
    const std::lock_guard lock(TableMutex());
    const auto found = BuiltinsByProgId().find(oleaut::UCase(progid));
    if (found != BuiltinsByProgId().end()) return found->second;
  }
  if (progid.empty()) Raise(REGDB_E_CLASSNOTREG, u"Class not registered: the ProgID is empty");
  const Registry registry = Registry::Default();
  const std::optional<Bstr> clsid =
      registry.GetValue(u"HKEY_CLASSES_ROOT\\" + Bstr(progid) + u"\\CLSID", u"");
  if (!clsid) {
    Raise(REGDB_E_CLASSNOTREG, u"Class not registered: the ProgID '" + Bstr(progid) +
                                   u"' is not in the registry " + PathText(registry.File()));
  }
  return Guid::Parse(*clsid);
}

Ptr<ClassFactory> GetClassObject(const Guid& clsid) {
  {
    const std::lock_guard lock(TableMutex());
    const auto found = BuiltinsByClsid().find(clsid);
    if (found != BuiltinsByClsid().end()) return Make<BuiltinFactory>(found->second.create);
  }
  const Registry registry = Registry::Default();
  const Bstr key = u"HKEY_CLASSES_ROOT\\CLSID\\" + clsid.ToBstr() + u"\\InprocServer32";
  const std::optional<Bstr> path = registry.GetValue(key, u"");
  if (!path || path->empty()) {
    Raise(REGDB_E_CLASSNOTREG, u"Class not registered: the class " + clsid.ToBstr() +
                                   u" has no InprocServer32 entry in the registry " +
                                   PathText(registry.File()));
  }
  DllGetClassObjectFn get_class_object = nullptr;
  {
    const std::lock_guard lock(TableMutex());
    get_class_object = LoadLocked(std::filesystem::path(oleaut::ToUtf8(*path))).get_class_object;
  }
  void* raw = nullptr;
  ClearErrorInfo();
  RaiseIfFailed(get_class_object(clsid, IID_IClassFactory, &raw),
                u"DllGetClassObject of " + *path + u" for " + clsid.ToBstr());
  if (raw == nullptr) {
    Raise(E_POINTER, u"DllGetClassObject of " + *path + u" returned no class factory");
  }
  return Ptr<ClassFactory>::Adopt(static_cast<ClassFactory*>(raw));
}

Ptr<Unknown> CreateInstance(const Guid& clsid) {
  return GetClassObject(clsid)->CreateInstance(IID_IDispatch);
}

Ptr<Unknown> CreateByProgID(std::u16string_view progid) {
  return CreateInstance(ClsidFromProgID(progid));
}

void FreeUnusedLibraries() {
  const std::lock_guard lock(TableMutex());
  auto& libraries = Libraries();
  for (auto at = libraries.begin(); at != libraries.end();) {
    const Library& library = at->second;
    if (library.can_unload_now != nullptr && library.can_unload_now() == S_OK) {
      dlclose(library.handle);
      at = libraries.erase(at);
    } else {
      ++at;
    }
  }
}

std::size_t LoadedLibraryCount() {
  const std::lock_guard lock(TableMutex());
  return Libraries().size();
}

void RegisterServer(const std::filesystem::path& library) {
  CallEntry(library, "DllRegisterServer");
}

void UnregisterServer(const std::filesystem::path& library) {
  CallEntry(library, "DllUnregisterServer");
}

}  // namespace com
