// The server library's module state: how many of its objects are alive and how many
// LockServer locks are held, which together decide DllCanUnloadNow; and the class factory that
// keeps that count.
#pragma once

#include "platform/com/class_factory.h"
#include "platform/com/type_info.h"

namespace server {

void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void LockModule(bool lock) noexcept;
// No object alive, no lock held.
bool CanUnload() noexcept;

// An object of class T that the module counts for its whole life.
template <class T>
class Counted final : public T {
 public:
  Counted() { ObjectCreated(); }
  ~Counted() override { ObjectDestroyed(); }
};

// The class factory of one class. It counts as a live object itself, so the library is not
// unloaded under a factory a client still holds.
class Factory final : public com::ClassFactory {
 public:
  using Creator = com::Ptr<com::Unknown> (*)();

  Factory(const com::ClassInfo& info, Creator create);
  ~Factory() override;

  com::Ptr<com::Unknown> CreateInstance(const com::Guid& iid) override;
  void LockServer(bool lock) override;

 private:
  const com::ClassInfo& info_;
  Creator create_;
};

}  // namespace server
