#include "platform/com/inproc_server.h"

#include <dlfcn.h>

#include <string>
#include <vector>

#include "platform/com/error_info.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace com {

namespace {

using oleaut::Bstr;
using oleaut::ComError;

// The class object of one class. It counts as a live object of its server, so the library is
// not unloaded under a factory a client still holds.
class ServerFactory final : public ClassFactory {
 public:
  ServerFactory(InprocServer& server, const ServerClass& served) : server_(server), class_(served) {
    server_.ObjectCreated();
  }
  ~ServerFactory() override { server_.ObjectDestroyed(); }

  Ptr<Unknown> CreateInstance(const Guid& iid) override {
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != class_.info.default_interface->iid) {
      throw ComError(E_NOINTERFACE, ProgIdOf(server_.Library(), class_.info),
                     u"No such interface supported: " + Bstr(class_.info.name) +
                         u" does not implement " + iid.ToBstr());
    }
    return class_.create(server_);
  }
  void LockServer(bool lock) override { server_.LockServer(lock); }

 private:
  InprocServer& server_;
  const ServerClass& class_;
};

struct Entry {
  Bstr key;
  Bstr name;  // "" for the key's default value
  Bstr value;
};

std::vector<Entry> Entries(const LibraryInfo& library, std::span<const ServerClass> classes,
                           const std::filesystem::path& path) {
  const Bstr path_text = oleaut::FromUtf8(path.string());
  const Bstr libid = library.libid.ToBstr();
  std::vector<Entry> entries;
  for (const ServerClass& served : classes) {
    const Bstr clsid = served.info.clsid.ToBstr();
    const Bstr progid = ProgIdOf(library, served.info);
    const Bstr class_key = u"HKEY_CLASSES_ROOT\\CLSID\\" + clsid;
    entries.push_back({class_key, u"", Bstr(served.info.name)});
    entries.push_back({class_key + u"\\InprocServer32", u"", path_text});
    entries.push_back({class_key + u"\\InprocServer32", u"ThreadingModel", u"Apartment"});
    entries.push_back({class_key + u"\\ProgID", u"", progid});
    entries.push_back({class_key + u"\\TypeLib", u"", libid});
    entries.push_back({u"HKEY_CLASSES_ROOT\\" + progid + u"\\CLSID", u"", clsid});
  }
  const std::string version = std::to_string(library.major) + "." + std::to_string(library.minor);
  entries.push_back({u"HKEY_CLASSES_ROOT\\TypeLib\\" + libid + u"\\" + oleaut::FromUtf8(version),
                     u"", Bstr(library.help_string)});
  return entries;
}

// The absolute path of the shared library that holds `address`, as the loader found it.
std::filesystem::path LibraryAt(const void* address, std::u16string_view source) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
    throw ComError(SELFREG_E_CLASS, std::u16string(source),
                   u"Cannot find the path of the server library: dladdr failed");
  }
  return std::filesystem::weakly_canonical(std::filesystem::absolute(info.dli_fname));
}

}  // namespace

InprocServer::InprocServer(const LibraryInfo& library, std::span<const ServerClass> classes,
                           RegistrationHooks hooks) noexcept
    : library_(library), classes_(classes), hooks_(hooks) {}

HRESULT InprocServer::GetClassObject(const Guid& clsid, const Guid& iid, void** out) noexcept {
  ClearErrorInfo();
  try {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IClassFactory && iid != IID_IUnknown) {
      throw ComError(E_NOINTERFACE, Bstr(library_.name),
                     u"No such interface supported: a class object answers to IClassFactory, "
                     u"not " +
                         iid.ToBstr());
    }
    for (const ServerClass& served : classes_) {
      if (served.info.clsid == clsid) {
        *out = Make<ServerFactory>(*this, served).Detach();
        return S_OK;
      }
    }
    throw ComError(
        CLASS_E_CLASSNOTAVAILABLE, Bstr(library_.name),
        u"Class not available: " + Bstr(library_.name) + u" has no class " + clsid.ToBstr());
  } catch (...) {
    return ErrorFromCurrentException(library_.name);
  }
}

HRESULT InprocServer::CanUnloadNow() const noexcept {
  const bool idle =
      objects_.load(std::memory_order_acquire) == 0 && locks_.load(std::memory_order_acquire) == 0;
  return idle ? S_OK : S_FALSE;
}

HRESULT InprocServer::Register(const void* address) noexcept {
  return UpdateRegistry(address, /*registering=*/true);
}

HRESULT InprocServer::Unregister(const void* address) noexcept {
  return UpdateRegistry(address, /*registering=*/false);
}

HRESULT InprocServer::UpdateRegistry(const void* address, bool registering) noexcept {
  ClearErrorInfo();
  try {
    const std::filesystem::path library = LibraryAt(address, library_.name);
    const std::vector<Entry> entries = Entries(library_, classes_, library);
    Registry::Default().Update([&](RegistryData& data) {
      for (const Entry& entry : entries) {
        if (registering) {
          data.SetValue(entry.key, entry.name, entry.value);
        } else {
          data.DeleteValue(entry.key, entry.name);
        }
      }
      const auto hook = registering ? hooks_.on_register : hooks_.on_unregister;
      if (hook) hook(data, library);
    });
    return S_OK;
  } catch (...) {
    return ErrorFromCurrentException(library_.name);
  }
}

void InprocServer::ObjectCreated() noexcept {
  objects_.fetch_add(1, std::memory_order_relaxed);
}

void InprocServer::ObjectDestroyed() noexcept {
  objects_.fetch_sub(1, std::memory_order_acq_rel);
}

void InprocServer::LockServer(bool lock) noexcept {
  if (lock) {
    locks_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  long held = locks_.load(std::memory_order_relaxed);
  while (held > 0 && !locks_.compare_exchange_weak(held, held - 1, std::memory_order_acq_rel)) {
  }
}

}  // namespace com
