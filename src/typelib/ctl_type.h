// E_CtlType: the control types of a bill template, with the type library's fixed values.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace typelib {

enum E_CtlType : std::int32_t {  // NOLINT(readability-identifier-naming): the type library's name
  ctlText = 0,
  ctlDate = 1,
  ctlLookUp = 2,
  ctlqty = 3,
  ctlNO = 4,
  ctlSelBill = 5,
  ctlBillTitle = 6,
  ctlBillEntry = 7,
  ctlChecker = 8,
  ctlBiller = 9,
  ctlBatch = 10,
  ctlAmount = 11,
  ctlPrice = 12,
  ctlTaxRate = 13,
  ctlAcc = 14,
  ctlICMOStatus = 15,
  ctlICMOSource = 16,
  ctlNullDate = 17,
  ctlRecorder = 18,
  ctlExchangeRate = 20,
  ctlTaxPrice = 21,
  ctlBillModifier = 22,
  ctlMultiChecker = 25,
  ctlUserString = 30,
  ctlUserNumber = 31,
  ctlUserDate = 32,
  ctlUserInt = 33,
  ctlStdAmount = 40,
};

struct CtlTypeEntry {
  std::u16string_view name;
  E_CtlType value;
};

// Every value of E_CtlType with its name, in the type library's order.
std::span<const CtlTypeEntry> CtlTypeEntries() noexcept;

}  // namespace typelib
