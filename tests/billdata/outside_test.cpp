// The outside components the component creates by ProgID: each activated through the registry
// from its own library, what each one answers, and the install directory that registration
// records. The package as the request the fill members read is tested with them.
#include <gtest/gtest.h>

#include <array>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "product_servers.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

class OutsideTest : public BillDataTest {
 protected:
  static com::Ptr<com::Dispatch> Create(std::u16string_view progid) {
    return com::As<com::Dispatch>(com::CreateByProgID(progid));
  }

  // GetBillTemplatePackage as the component calls it: all three arguments by reference.
  std::pair<Variant, com::Ptr<vdl::Dictionary>> Package(std::int32_t bill_type) {
    std::array<Variant, 3> arguments{Variant::Nothing(), bill_type, Dsn()};
    const Variant count =
        Create(u"TAVMBillsPackage.clsReadPackage")->Invoke(u"GetBillTemplatePackage", arguments);
    return {count, AsDict(arguments[0])};
  }
};

std::vector<Bstr> FieldNames(const Variant& list) {
  std::vector<Bstr> names;
  const auto controls = AsList(list);
  for (std::int32_t i = controls->LowerBound(); i <= controls->UpperBound(); ++i) {
    names.push_back(AsDict(controls->Item(i))->Item(u"FFieldName").AsString());
  }
  return names;
}

TEST_F(OutsideTest, EachComponentIsActivatedFromItsOwnLibrary) {
  struct Case {
    const char16_t* progid;
    const char* library;
  };
  const Case cases[] = {
      {u"TAVMBillsPackage.clsReadPackage", "libTAVMBillsPackage.so"},
      {u"TAVEBSBase.SystemProfile", "libTAVEBSBase.so"},
      {u"TAVEBSGLItem.ItemInfo", "libTAVEBSGLItem.so"},
  };
  com::FreeUnusedLibraries();
  const std::size_t loaded = com::LoadedLibraryCount();
  std::vector<com::Ptr<com::Dispatch>> objects;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.library);
    const Bstr clsid = Registry().GetValue(u"HKCR\\" + Bstr(c.progid) + u"\\CLSID", u"").value();
    EXPECT_EQ(Registry().GetValue(u"HKCR\\CLSID\\" + clsid + u"\\InprocServer32", u""),
              oleaut::FromUtf8(tavtest::ProductLibrary(c.library).string()));
    objects.push_back(Create(c.progid));
    EXPECT_TRUE(objects.back());
  }
  EXPECT_EQ(com::LoadedLibraryCount(), loaded + 3);
  // Each library counts its own objects: releasing one lets only its library go.
  objects.pop_back();
  com::FreeUnusedLibraries();
  EXPECT_EQ(com::LoadedLibraryCount(), loaded + 2);
}

TEST_F(OutsideTest, PackageDescribesTheTemplateAsTheFillMembersReadIt) {
  const auto [count, package] = Package(1);
  EXPECT_EQ(count, Variant(28));  // 13 head and 15 entry controls

  const auto bill_info = AsDict(package->Item(u"BillInfo"));
  EXPECT_EQ(bill_info->Item(u"ftemplateid"), Variant(u"A01"));
  EXPECT_EQ(bill_info->Item(u"FHeadTable"), Variant(u"ICStockBill"));
  EXPECT_EQ(bill_info->Item(u"FKeyIndexID"), Variant(u"FEntryID"));
  EXPECT_EQ(bill_info->Item(u"FID"), Variant(1));
  EXPECT_EQ(AsDict(package->Item(u"SysProp"))->Item(u"UseShortNumber"), Variant(u"0"));

  EXPECT_EQ(FieldNames(package->Item(u"Page0")),
            (std::vector<Bstr>{u"FBillNo", u"FDate", u"FSupplyID", u"FSupplyAddress", u"FDeptID",
                               u"FEmpID", u"FExplanation", u"FFManagerID", u"FSManagerID",
                               u"FBillerID", u"FCheckerID", u"FCheckDate"}));
  EXPECT_EQ(FieldNames(package->Item(u"PageH")), std::vector<Bstr>{u"FTranType"});
  EXPECT_EQ(FieldNames(package->Item(u"Page1")).size(), 13U);
  EXPECT_EQ(FieldNames(package->Item(u"Page1")).front(), u"FItemID");
  EXPECT_EQ(FieldNames(package->Item(u"PageE")),
            (std::vector<Bstr>{u"FSourceInterId", u"FEntryID"}));

  // A control record: its template row, typed, with the lookup columns of its class.
  struct Case {
    const char16_t* key;
    const char16_t* column;
    Variant value;
  };
  const Case cases[] = {
      {u"P0_FSupplyID", u"FGetTable", u"t_Supplier"},
      {u"P0_FSupplyID", u"FInterID", u"FItemID"},
      {u"P0_FSupplyID", u"FName", u"FName"},  // the lookup's name column, not the caption
      {u"P0_FSupplyID", u"FBillNo", u""},
      {u"P0_FSupplyID", u"FCtlType", 2},
      {u"P0_FSupplyID", u"FSaveValue", 1},  // a smallint, as a Long
      {u"P0_FSupplyID", u"FNeedSave", true},
      {u"P0_FSupplyID", u"FCaption", u"供应商"},
      {u"P0_FSupplyAddress", u"FRelateOutTbl", true},
      {u"P0_FSupplyAddress", u"FAction", u".,FAddress"},
      {u"P0_FBillNo", u"FGetTable", u""},  // class 0 has no lookup row
      {u"P0_FTranType", u"FCtlIndex", -1},
      {u"P1_FItemID", u"FGetTable", u"t_ICItem"},
      {u"P1_FItemID", u"FCtlOrder", 1},
      {u"P1_FUnitID", u"FInterID", u"FMeasureUnitID"},
      {u"P1_FEntryID", u"FCtlOrder", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(Bstr(c.key) + u"." + c.column));
    EXPECT_EQ(AsDict(package->Item(c.key))->Item(c.column), c.value);
  }
}

TEST_F(OutsideTest, PackageOfAMissingBillTypeRaisesAndOfAnEmptyTemplateHasEmptyPages) {
  const oleaut::ComError error = ErrorOf([&] { Package(999); });
  EXPECT_EQ(error.VbNumber(), oleaut::kInvalidProcedureCall);
  EXPECT_EQ(error.Source(), u"TAVMBillsPackage.clsReadPackage");
  EXPECT_NE(oleaut::ToUtf8(error.Description()).find("bill type 999"), std::string::npos);

  Exec(u"UPDATE ICTransactionType SET FTemplateID = 'Z99' WHERE FID = 71");
  Exec(u"DELETE FROM t_SystemProfile WHERE FKey = 'UseShortNumber'");
  const auto [count, package] = Package(71);
  EXPECT_EQ(count, Variant(0));
  for (const char16_t* page : {u"Page0", u"PageH", u"Page1", u"PageE"}) {
    EXPECT_EQ(AsList(package->Item(page))->UpperBound(), 0);
  }
  EXPECT_EQ(package->Count(), 6);
  EXPECT_EQ(AsDict(package->Item(u"SysProp"))->Item(u"UseShortNumber"), Variant(u"0"));
}

TEST_F(OutsideTest, SystemProfileReadsTheIcValueWithATemplatesOwnFirst) {
  struct Case {
    const char16_t* key;
    Variant template_id;
    const char16_t* value;
  };
  const Case cases[] = {
      {u"NotePrintSingle", oleaut::kMissing, u"1"},
      {u"NotePrintSingle", u"B01", u"0"},
      {u"NotePrintSingle", u"A01", u"1"},
      {u"IndustryVersion", u"B01", u"0"},
      {u"PrintTitle", oleaut::kMissing, u""},  // a Null value
      {u"NoSuchKey", u"A01", u""},
      {u"CompanyName", oleaut::kMissing, u""},  // not an 'IC' value
  };
  const auto profile = Create(u"TAVEBSBase.SystemProfile");
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.key));
    EXPECT_EQ(profile->Call(u"GetProfile", Dsn(), c.key, c.template_id), Variant(c.value));
  }
}

TEST_F(OutsideTest, ItemInfoRefusesWhatIsNotAnItemIdOrAPictureKind) {
  const auto item = Create(u"TAVEBSGLItem.ItemInfo");
  EXPECT_EQ(item->Call(u"GetItemPicture", Dsn(), u"1", u"smallphoto").AsString().size(), 336U);
  for (const auto& [id, kind] : {std::pair{u"1;", u"SmallPhoto"}, std::pair{u"x", u"SmallPhoto"},
                                 std::pair{u"1", u"LargePhoto"}}) {
    const oleaut::ComError error = ErrorOf([&] { item->Call(u"GetItemPicture", Dsn(), id, kind); });
    EXPECT_EQ(error.VbNumber(), oleaut::kInvalidProcedureCall);
    EXPECT_EQ(error.Source(), u"TAVEBSGLItem.ItemInfo");
  }
}

TEST_F(OutsideTest, RegistrationRecordsTheInstallDirectoryUnlessOneIsThere) {
  const std::filesystem::path library = tavtest::ProductLibrary("libTAVMPrintExport.so");
  const Variant build_folder(oleaut::FromUtf8(library.parent_path().parent_path().string()));
  EXPECT_EQ(data_->Call(u"TAV_GetSysDirectory"), build_folder);

  com::UnregisterServer(library);
  EXPECT_EQ(data_->Call(u"TAV_GetSysDirectory"), Variant(u""));  // no "Path" value: empty

  Registry().SetValue(u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path", u"/opt/tav");
  com::RegisterServer(library);
  EXPECT_EQ(data_->Call(u"TAV_GetSysDirectory"), Variant(u"/opt/tav"));
  com::UnregisterServer(library);
  EXPECT_EQ(data_->Call(u"TAV_GetSysDirectory"), Variant(u"/opt/tav"));
}

}  // namespace
}  // namespace billdata_test
