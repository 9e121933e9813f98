// The four entry points of the in-process server, the only symbols the library exports
// (exports.map). Their signatures are the platform's (platform/com/activation.h).
#include <dlfcn.h>

#include <filesystem>

#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "frame/cls_print_setup_update.h"
#include "platform/com/activation.h"
#include "platform/com/error_info.h"
#include "server/module.h"
#include "server/registration.h"
#include "typelib/library.h"

#define TAV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr std::u16string_view kSource = u"TAVMPrintExport";

template <class T>
com::Ptr<com::Unknown> Create() {
  return com::Ptr<com::Unknown>(com::Make<server::Counted<T>>());
}

struct ClassEntry {
  const com::ClassInfo& info;
  server::Factory::Creator create;
};
const ClassEntry kClassEntries[] = {
    {typelib::kClsGetData, &Create<frame::clsGetData>},
    {typelib::kClsPrintSetupQuery, &Create<frame::clsPrintSetupQuery>},
    {typelib::kClsPrintSetupUpdate, &Create<frame::clsPrintSetupUpdate>},
};

// The absolute path of this library, as the loader found it.
std::filesystem::path ThisLibrary() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&ThisLibrary), &info) == 0 ||
      info.dli_fname == nullptr) {
    throw oleaut::ComError(com::SELFREG_E_CLASS, std::u16string(kSource),
                           u"Cannot find the path of the server library: dladdr failed");
  }
  return std::filesystem::weakly_canonical(std::filesystem::absolute(info.dli_fname));
}

}  // namespace

TAV_EXPORT com::HRESULT DllGetClassObject(const com::Guid& clsid, const com::Guid& iid,
                                          void** out) {
  com::ClearErrorInfo();
  try {
    if (out == nullptr) return com::E_POINTER;
    *out = nullptr;
    if (iid != com::IID_IClassFactory && iid != com::IID_IUnknown) {
      throw oleaut::ComError(com::E_NOINTERFACE, std::u16string(kSource),
                             u"No such interface supported: a class object answers to "
                             u"IClassFactory, not " +
                                 iid.ToBstr());
    }
    for (const ClassEntry& entry : kClassEntries) {
      if (entry.info.clsid == clsid) {
        *out = com::Make<server::Factory>(entry.info, entry.create).Detach();
        return com::S_OK;
      }
    }
    throw oleaut::ComError(com::CLASS_E_CLASSNOTAVAILABLE, std::u16string(kSource),
                           u"Class not available: TAVMPrintExport has no class " + clsid.ToBstr());
  } catch (...) {
    return com::ErrorFromCurrentException(kSource);
  }
}

TAV_EXPORT com::HRESULT DllCanUnloadNow() {
  return server::CanUnload() ? com::S_OK : com::S_FALSE;
}

TAV_EXPORT com::HRESULT DllRegisterServer() {
  com::ClearErrorInfo();
  try {
    server::RegisterClasses(ThisLibrary());
    return com::S_OK;
  } catch (...) {
    return com::ErrorFromCurrentException(kSource);
  }
}

TAV_EXPORT com::HRESULT DllUnregisterServer() {
  com::ClearErrorInfo();
  try {
    server::UnregisterClasses();
    return com::S_OK;
  } catch (...) {
    return com::ErrorFromCurrentException(kSource);
  }
}
