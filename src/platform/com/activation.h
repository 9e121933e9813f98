// Activation: creating objects by CLSID or ProgID, as CoCreateInstance and CreateObject do.
//
// ProgID -> HKEY_CLASSES_ROOT\<ProgID>\CLSID -> HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32
// -> the shared library, loaded with dlopen and kept in a process-wide table -> its
// DllGetClassObject -> the class factory -> the instance. Classes that live in the platform
// library itself (VDL.Reg and the like) are registered in-process with RegisterBuiltinClass and
// need no registry entry, as the system's own components are always there.
//
// A loaded library stays loaded until FreeUnusedLibraries (CoFreeUnusedLibraries) finds that its
// DllCanUnloadNow answers S_OK; nothing unloads it behind the caller's back.
//
// The entry points of an in-process server are extern "C" functions with C++ parameters: the
// platform is one shared library used by the server and by its clients alike, so Guid and
// ClassFactory are the same types on both sides.
//   HRESULT DllGetClassObject(const com::Guid& clsid, const com::Guid& iid, void** out);
//       iid is IID_IClassFactory or IID_IUnknown; *out receives a com::ClassFactory* that holds
//       one reference, which the caller takes over.
//   HRESULT DllCanUnloadNow();      S_OK when no object of the library is alive and no
//                                   LockServer lock is held, else S_FALSE.
//   HRESULT DllRegisterServer();    HRESULT DllUnregisterServer();
// A failing entry point returns the error's HRESULT and leaves the ComError as the thread's error
// object (error_info.h), which the functions below raise again.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/com/class_factory.h"
#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/com/object.h"

namespace com {

using DllGetClassObjectFn = HRESULT (*)(const Guid& clsid, const Guid& iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();

// A new instance of the class, asked for IDispatch. REGDB_E_CLASSNOTREG when the class is not
// registered; the loader's own message when its library cannot be loaded.
Ptr<Unknown> CreateInstance(const Guid& clsid);
Ptr<Unknown> CreateByProgID(std::u16string_view progid);
// CLSIDFromProgID: REGDB_E_CLASSNOTREG naming the ProgID when it is not registered.
Guid ClsidFromProgID(std::u16string_view progid);
// CoGetClassObject.
Ptr<ClassFactory> GetClassObject(const Guid& clsid);

// Unloads every library whose DllCanUnloadNow answers S_OK.
void FreeUnusedLibraries();
// How many server libraries are loaded now (for tests and diagnostics).
std::size_t LoadedLibraryCount();

// regsvr32 and regsvr32 /u: loads `library` and calls its DllRegisterServer or
// DllUnregisterServer.
void RegisterServer(const std::filesystem::path& library);
void UnregisterServer(const std::filesystem::path& library);

// A class implemented in the platform library. Returns true, so that it can initialise a
// namespace-scope constant in the class's own source file.
using BuiltinCreator = Ptr<Unknown> (*)();
bool RegisterBuiltinClass(std::u16string_view progid, const Guid& clsid, BuiltinCreator create);

}  // namespace com
