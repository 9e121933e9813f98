#include "server/module.h"

#include <atomic>

#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"

namespace server {

namespace {
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
}  // namespace

void ObjectCreated() noexcept {
  g_objects.fetch_add(1, std::memory_order_relaxed);
}
void ObjectDestroyed() noexcept {
  g_objects.fetch_sub(1, std::memory_order_acq_rel);
}

void LockModule(bool lock) noexcept {
  if (lock) {
    g_locks.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  // An unlock without a lock must not wrap the count and pin the module forever.
  long held = g_locks.load(std::memory_order_relaxed);
  while (held > 0 && !g_locks.compare_exchange_weak(held, held - 1, std::memory_order_acq_rel)) {
  }
}

bool CanUnload() noexcept {
  return g_objects.load(std::memory_order_acquire) == 0 &&
         g_locks.load(std::memory_order_acquire) == 0;
}

Factory::Factory(const com::ClassInfo& info, Creator create) : info_(info), create_(create) {
  ObjectCreated();
}

Factory::~Factory() {
  ObjectDestroyed();
}

com::Ptr<com::Unknown> Factory::CreateInstance(const com::Guid& iid) {
  if (iid != com::IID_IUnknown && iid != com::IID_IDispatch &&
      iid != info_.default_interface->iid) {
    throw oleaut::ComError(com::E_NOINTERFACE, u"TAVMPrintExport." + std::u16string(info_.name),
                           u"No such interface supported: " + std::u16string(info_.name) +
                               u" does not implement " + iid.ToBstr());
  }
  return create_();
}

void Factory::LockServer(bool lock) {
  LockModule(lock);
}

}  // namespace server
