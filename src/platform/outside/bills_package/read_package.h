// TAVMBillsPackage.clsReadPackage: the product's bill template package reader. It gives a print
// client, in one dictionary, everything it needs to describe a bill type's template to
// GetHeadFillData and GetEntryFillData:
//
//   "BillInfo"  a VDL.Dictionary with every column of the bill type's ICTransactionType row
//               (FID, FName, FTemplateID, FHeadTable, FEntryTable, FKeyInterID, FKeyItemID,
//               FKeyIndexID, ...)
//   "SysProp"   a VDL.Dictionary of the system profile's 'IC' values, FKey to FValue; it always
//               holds "UseShortNumber" ("0" when the profile has no such row)
//   "Page0"     a VDL.List of the head control records (ICTemplate) with FCtlIndex >= 0,
//               ordered by FCtlIndex; "PageH" those with FCtlIndex < 0
//   "Page1"     a VDL.List of the entry control records (ICTemplateEntry) with FCtlOrder > 0,
//               ordered by FCtlOrder; "PageE" those with FCtlOrder <= 0 (the line number
//               FEntryID among them)
//   "P0_<FFieldName>", "P1_<FFieldName>"  every head and entry control record by its column
//
// A control record is a VDL.Dictionary with every column of its template row (bit columns as
// Boolean, whole numbers as Long, FNeedSave as stored), plus "FGetTable", "FInterID", "FNumber",
// "FName" and "FBillNo" from the lookup-class table ICLookUpClass row of its FLookUpCls (empty
// texts when the class has no row). "FName" is the lookup table's name column, never a caption.
//
// A bill type without an ICTransactionType row raises Invalid procedure call (5) naming it: there
// is no template to read. A template without controls gives the dictionary with "BillInfo",
// "SysProp" and four empty lists.
#pragma once

#include <cstdint>

#include "platform/com/dispatch.h"
#include "platform/com/type_info.h"

namespace outside {

namespace read_package_detail {
inline constexpr com::ParamInfo kParams[] = {
    com::InOut(u"dicPackage", oleaut::VarType::Object, u"VDL.Dictionary"),
    com::InOut(u"lBillTransType", oleaut::VarType::Long),
    com::InOut(u"sDsn", oleaut::VarType::String),
};
inline constexpr com::MemberInfo kMembers[] = {
    {u"GetBillTemplatePackage", com::MemberKind::Method, kParams, oleaut::VarType::Long, {}},
};
}  // namespace read_package_detail

// The class and its library, as registration writes them.
inline constexpr com::SingleClassLibrary kReadPackageComponent{
    {u"TAVMBillsPackage", com::Guid::Parse("{52708961-BB11-497C-A278-62813E672876}")},
    u"TAVMBillsPackage: bill template packages for printing",
    {u"clsReadPackage", com::Guid::Parse("{DDDE945D-4DF0-489F-9177-B9D5C542AE46}")},
    {u"_clsReadPackage", com::Guid::Parse("{469CCBC1-843C-440D-AB99-E259DFA0F8C0}")},
    read_package_detail::kMembers};
inline constexpr const com::InterfaceInfo& kReadPackageInterface = kReadPackageComponent.interface;
inline constexpr const com::LibraryInfo& kReadPackageLibrary = kReadPackageComponent.library;

class clsReadPackage : public com::Dispatch {  // NOLINT(readability-identifier-naming)
 public:
  clsReadPackage();

  // Fills `dicPackage` with the package of bill type `lBillTransType` on data source `sDsn`, read
  // through the thread's data-access context. All three arguments are by reference, as callers
  // pass them; only the first is written. Returns the number of control records packaged.
  std::int32_t GetBillTemplatePackage(oleaut::Variant& dicPackage, oleaut::Variant& lBillTransType,
                                      oleaut::Variant& sDsn);

 private:
  static const com::DispatchTable& Table();
};

}  // namespace outside
