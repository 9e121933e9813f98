// What every in-process server library of the product has in common: the class objects it hands
// out, the count of its live objects and LockServer locks that answers DllCanUnloadNow, and the
// self-registration of its classes and type library.
//
// Each server library owns one InprocServer (returned by the TavInprocServer function it
// defines) and links the tavinproc_entry static library, which defines the four exported entry
// points once for all of them (server_entry_points.cpp). The counts live in the library's own
// InprocServer, so one library can be unloaded while another still serves objects.
//
// Registration writes, per class, HKCR\CLSID\{clsid} (the class name) with its InprocServer32
// (the library's path, ThreadingModel Apartment), ProgID and TypeLib subkeys, and
// HKCR\<Library>.<Class>\CLSID; then HKCR\TypeLib\{libid}\<major>.<minor> (the help string).
// Unregistration removes exactly those values, and keys that are left empty by that.
#pragma once

#include <atomic>
#include <filesystem>
#include <span>
#include <string>

#include "platform/com/class_factory.h"
#include "platform/com/hresult.h"
#include "platform/com/object.h"
#include "platform/com/registry.h"
#include "platform/com/type_info.h"

namespace com {

class InprocServer;

// One creatable class of a server: its type information and how an instance is made.
struct ServerClass {
  const ClassInfo& info;
  Ptr<Unknown> (*create)(InprocServer& server);
};

// What a server writes into the registry beyond its classes, inside the same registry
// transaction: `library` is the server library's path.
struct RegistrationHooks {
  void (*on_register)(RegistryData& data, const std::filesystem::path& library) = nullptr;
  void (*on_unregister)(RegistryData& data, const std::filesystem::path& library) = nullptr;
};

class InprocServer {
 public:
  InprocServer(const LibraryInfo& library, std::span<const ServerClass> classes,
               RegistrationHooks hooks = {}) noexcept;
  InprocServer(const InprocServer&) = delete;
  InprocServer& operator=(const InprocServer&) = delete;

  const LibraryInfo& Library() const noexcept { return library_; }

  // The bodies of the entry points. A failure returns its HRESULT and leaves its description as
  // the thread's error object (error_info.h). `address` is any address inside the server
  // library: registration writes that library's path as the InprocServer32 entry.
  HRESULT GetClassObject(const Guid& clsid, const Guid& iid, void** out) noexcept;
  HRESULT CanUnloadNow() const noexcept;
  HRESULT Register(const void* address) noexcept;
  HRESULT Unregister(const void* address) noexcept;

  // The module counts. An unlock without a lock is ignored, so that it cannot pin the library.
  void ObjectCreated() noexcept;
  void ObjectDestroyed() noexcept;
  void LockServer(bool lock) noexcept;

 private:
  HRESULT UpdateRegistry(const void* address, bool registering) noexcept;

  const LibraryInfo& library_;
  std::span<const ServerClass> classes_;
  RegistrationHooks hooks_;
  std::atomic<long> objects_{0};
  std::atomic<long> locks_{0};
};

// An object of class T that its server counts for its whole life.
template <class T>
class ServedObject final : public T {
 public:
  explicit ServedObject(InprocServer& server) : server_(server) { server_.ObjectCreated(); }
  ~ServedObject() override { server_.ObjectDestroyed(); }

 private:
  InprocServer& server_;
};

// The creator of a ServerClass for T (default-constructible).
template <class T>
Ptr<Unknown> CreateServed(InprocServer& server) {
  return Ptr<Unknown>(Make<ServedObject<T>>(server));
}

// The server of a library whose one class, library.classes[0], is T.
template <class T>
InprocServer& SingleClassServer(const LibraryInfo& library) {
  static const ServerClass served[] = {{library.classes[0], &CreateServed<T>}};
  static InprocServer server(library, served);
  return server;
}

}  // namespace com

// Defined by each server library (with hidden visibility, so that every library's entry points
// reach its own server): the library's one InprocServer.
com::InprocServer& TavInprocServer();
