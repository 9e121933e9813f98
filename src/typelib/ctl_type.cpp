#include "typelib/ctl_type.h"

#include <array>

namespace typelib {

std::span<const CtlTypeEntry> CtlTypeEntries() noexcept {
  static constexpr std::array<CtlTypeEntry, 28> kEntries{{
      {u"ctlText", ctlText},
      {u"ctlDate", ctlDate},
      {u"ctlLookUp", ctlLookUp},
      {u"ctlqty", ctlqty},
      {u"ctlNO", ctlNO},
      {u"ctlSelBill", ctlSelBill},
      {u"ctlBillTitle", ctlBillTitle},
      {u"ctlBillEntry", ctlBillEntry},
      {u"ctlChecker", ctlChecker},
      {u"ctlBiller", ctlBiller},
      {u"ctlBatch", ctlBatch},
      {u"ctlAmount", ctlAmount},
      {u"ctlPrice", ctlPrice},
      {u"ctlTaxRate", ctlTaxRate},
      {u"ctlAcc", ctlAcc},
      {u"ctlICMOStatus", ctlICMOStatus},
      {u"ctlICMOSource", ctlICMOSource},
      {u"ctlNullDate", ctlNullDate},
      {u"ctlRecorder", ctlRecorder},
      {u"ctlExchangeRate", ctlExchangeRate},
      {u"ctlTaxPrice", ctlTaxPrice},
      {u"ctlBillModifier", ctlBillModifier},
      {u"ctlMultiChecker", ctlMultiChecker},
      {u"ctlUserString", ctlUserString},
      {u"ctlUserNumber", ctlUserNumber},
      {u"ctlUserDate", ctlUserDate},
      {u"ctlUserInt", ctlUserInt},
      {u"ctlStdAmount", ctlStdAmount},
  }};
  return kEntries;
}

}  // namespace typelib
