// vdl::List: the foundation library's list (VDL.List), an ordered sequence of Variant items with
// positions counted from 1. Callers walk it from LowerBound to UpperBound inclusive, so an empty
// list (UpperBound 0) is walked zero times.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace vdl {

class List : public com::Unknown {
 public:
  ~List() override;
  std::int32_t LowerBound() const noexcept { return 1; }
  std::int32_t UpperBound() const noexcept { return static_cast<std::int32_t>(items_.size()); }
  void Add(oleaut::Variant item);
  // The item at `index`; outside LowerBound..UpperBound raises Subscript out of range (9).
  const oleaut::Variant& Item(std::int32_t index) const;

 private:
  std::vector<oleaut::Variant> items_;
};

// A new list of `items`, in order.
com::Ptr<List> ListOf(std::initializer_list<oleaut::Variant> items);

}  // namespace vdl
