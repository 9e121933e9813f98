// The four entry points of an in-process server, written once for every server library of the
// product: each library links this file (the tavinproc_entry static library) and defines
// TavInprocServer(). These are the only symbols a server library exports (exports.map).
#include "platform/com/activation.h"
#include "platform/com/inproc_server.h"

#define TAV_EXPORT extern "C" __attribute__((visibility("default")))

TAV_EXPORT com::HRESULT DllGetClassObject(const com::Guid& clsid, const com::Guid& iid,
                                          void** out) {
  return TavInprocServer().GetClassObject(clsid, iid, out);
}

TAV_EXPORT com::HRESULT DllCanUnloadNow() {
  return TavInprocServer().CanUnloadNow();
}

TAV_EXPORT com::HRESULT DllRegisterServer() {
  return TavInprocServer().Register(reinterpret_cast<const void*>(&DllRegisterServer));
}

TAV_EXPORT com::HRESULT DllUnregisterServer() {
  return TavInprocServer().Unregister(reinterpret_cast<const void*>(&DllRegisterServer));
}
