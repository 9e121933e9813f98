#include "platform/vdl/list.h"

#include <fmt/format.h>

#include <limits>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace vdl {

List::~List() = default;

void List::Add(oleaut::Variant item) {
  // Positions are 32-bit; one more item would have none.
  if (items_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    oleaut::RaiseVbError(oleaut::kOverflow, u"the list is full");
  }
  items_.push_back(std::move(item));
}

const oleaut::Variant& List::Item(std::int32_t index) const {
  if (index < LowerBound() || index > UpperBound()) {
    oleaut::RaiseVbError(oleaut::kSubscriptOutOfRange,
                         oleaut::FromUtf8(fmt::format("list index {} is outside {}..{}", index,
                                                      LowerBound(), UpperBound())));
  }
  return items_[static_cast<std::size_t>(index - 1)];
}

com::Ptr<List> ListOf(std::initializer_list<oleaut::Variant> items) {
  auto list = com::Make<List>();
  for (const oleaut::Variant& item : items)
    list->Add(item);
  return list;
}

}  // namespace vdl
