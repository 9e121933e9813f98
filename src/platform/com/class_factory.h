// ClassFactory: IClassFactory, the object an in-process server hands out for each of its classes.
#pragma once

#include "platform/com/guid.h"
#include "platform/com/object.h"

namespace com {

class ClassFactory : public Unknown {
 public:
  ~ClassFactory() override;
  // A new instance that answers to `iid`: IID_IUnknown, IID_IDispatch or the class's own
  // interface. Any other raises E_NOINTERFACE.
  virtual Ptr<Unknown> CreateInstance(const Guid& iid) = 0;
  // While locked, the server stays loaded even when none of its objects is alive.
  virtual void LockServer(bool lock) = 0;
};

}  // namespace com
