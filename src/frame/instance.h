// What the subsystem function behind a public member sees of the class instance it works for:
// the data-access context the instance holds, and the class's own binding of a call to its data
// source. Each class's member bodies hand their instance over as this, so that the template
// store and the bill data never depend on the classes above them.
#pragma once

#include "platform/ado/connection.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/data_context.h"

namespace frame {

class Instance {
 public:
  // The context the instance holds; binding may replace it, so ask again after BindToDsn.
  virtual tavglobal::DataContext& Context() = 0;

  // The class's BindToDsn: binds the held context to `sDsn` and returns its connection.
  virtual com::Ptr<ado::Connection> BindToDsn(const oleaut::Bstr& sDsn) = 0;

 protected:
  Instance() = default;
  Instance(const Instance&) = default;
  Instance& operator=(const Instance&) = default;
  ~Instance() = default;
};

}  // namespace frame
