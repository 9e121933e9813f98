// Bill metadata through Invoke: the bill type's row, the note citations and the template package,
// in the user's language, with their exact statements and error styles.
#include <gtest/gtest.h>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_trace.h"
#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

using MetadataTest = BillDataTest;

struct LanguageCase {
  const char* language;
  const char16_t* bill_name;
  const char16_t* name_column;
  const char16_t* caption_column;
  const char16_t* head_caption_column;
  const char16_t* citation_column;
  const char16_t* citation;
  const char16_t* bill_no_caption;
};
const LanguageCase kLanguages[] = {
    {"CHS", u"外购入库", u"FName", u"FCaption", u"FHeadCaption", u"FCitationName", u"收到货款",
     u"编号"},
    {"cht", u"外購入庫", u"FName_CHT", u"FCaption_CHT", u"FHeadCaption_CHT", u"FCitationName_CHT",
     u"收到貨款", u"編號"},
    {"EN", u"Purchase Receipt", u"FName_EN", u"FCaption_EN", u"FHeadCaption_EN",
     u"FCitationName_EN", u"Payment received for goods", u"Bill No."},
};

Bstr BillTypeStatement(const LanguageCase& c, const char16_t* type) {
  return u"SELECT FBrNo,FID,FROB," + Bstr(c.name_column) +
         u" AS FName ,FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,"
         u"FFormWidth,FFormHeight,FFixCols,FAllowDefined,FBillFlow FROM ICTransactionType WHERE "
         u"FID=" +
         Bstr(type);
}

TEST_F(MetadataTest, NoteCitationIsTheOpenRecordsetWithTheLocalizedNameFirst) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    ado::ScopedSqlTrace trace;
    const auto rows =
        data_->Call(u"GetNoteCitation", Dsn(c.language), 1).AsObjectOf<ado::Recordset>();
    EXPECT_EQ(trace.Batches(),
              std::vector<std::u16string>{u"SELECT " + Bstr(c.citation_column) +
                                          u" AS FCitationName,* FROM GLNoteCitation WHERE "
                                          u"FNoteTypeID=1"});
    ASSERT_TRUE(rows);
    EXPECT_TRUE(rows->ActiveConnection());  // handed over attached, as Execute gave it
    EXPECT_EQ(rows->RecordCount(), 3);
    // The localized column first, then the table's own FCitationName among its columns.
    EXPECT_EQ(rows->Fields()->Item(std::int32_t{0})->Name(), u"FCitationName");
    EXPECT_EQ(rows->Fields()->Item(std::int32_t{3})->Name(), u"FCitationName");
    EXPECT_EQ(rows->Fields()->Item(u"FCitationName")->Value(), Variant(c.citation));
    EXPECT_EQ(rows->Fields()->Item(std::int32_t{3})->Value(), Variant(u"收到货款"));
  }
}

TEST_F(MetadataTest, TheTrappingMembersGiveNothingForMissingRowsAndFailures) {
  EXPECT_TRUE(data_->Call(u"GetBillTypeInfo", Dsn(), 999).IsNothing());
  EXPECT_TRUE(data_->Call(u"GetNoteCitation", Dsn(), 999).IsNothing());
  // Failures are swallowed: an unknown data source, a missing table.
  EXPECT_TRUE(data_->Call(u"GetBillTypeInfo", u"no-such-source", 1).IsNothing());
  ExecNative("DROP TABLE GLNoteCitation; DROP TABLE ICTransactionType");
  EXPECT_TRUE(data_->Call(u"GetNoteCitation", Dsn(), 1).IsNothing());
  EXPECT_TRUE(data_->Call(u"GetBillTypeInfo", Dsn(), 1).IsNothing());
}

// The bill type's row, alone and as the first item of the package, by the same statement.
TEST_F(MetadataTest, BillPackageHoldsTheBillTypeItsFieldsAndThePackage) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    EXPECT_EQ(AsDict(data_->Call(u"GetBillTypeInfo", Dsn(c.language), 1))->Item(u"FName"),
              Variant(c.bill_name));
    ado::ScopedSqlTrace trace;
    const auto list = AsList(data_->Call(u"GetBillPackage", Dsn(c.language), 1));
    ASSERT_EQ(list->UpperBound(), 4);
    EXPECT_EQ(AsDict(list->Item(1))->Item(u"FName"), Variant(c.bill_name));

    // Head fields by FFieldName in FCtlIndex order; the control with a negative index is left out.
    const auto head = AsDict(list->Item(2));
    ASSERT_EQ(head->Count(), 12);
    EXPECT_EQ(head->KeyAt(0), u"FBillNo");
    EXPECT_EQ(head->KeyAt(11), u"FCheckDate");
    EXPECT_FALSE(head->Exists(u"FTranType"));
    EXPECT_EQ(AsDict(head->Item(u"FSupplyID"))->Item(u"FCtlIndex"), Variant(std::int32_t{2}));
    const auto entry = AsDict(list->Item(3));
    EXPECT_EQ(entry->Count(), 15);  // every entry row, printed or not
    EXPECT_EQ(entry->KeyAt(0), u"FSourceInterId");
    EXPECT_TRUE(AsDict(list->Item(4))->Exists(u"BillInfo"));

    // The caption column of the language, under the name FName.
    EXPECT_EQ(AsDict(head->Item(u"FBillNo"))->Item(u"FName"), Variant(c.bill_no_caption));

    const std::vector<std::u16string> batches = trace.Batches();
    ASSERT_GE(batches.size(), 3U);
    EXPECT_EQ(batches[0], BillTypeStatement(c, u"1"));
    EXPECT_EQ(batches[1],
              u"SELECT FID,FCtlIndex,FTabIndex," + Bstr(c.caption_column) +
                  u" As FName ,FCtlType,FLookUpCls,FNeedSave,FValueType,FSaveValue, FFieldName,"
                  u"FLeft,FTop,FWidth,FHeight,FEnable,FPrint,FFontName,FFontSize,FSelBill, "
                  u"FMustInput,FFilter,FRelationID,FAction,FLockA,FROB,FDefaultCtl,"
                  u"FVisForBillType, FVBACtlType,FRelateOutTbl,FSysMustInputItem,"
                  u"FInEntryForSPrint,FRMustInput  FROM ICTemplate WHERE FID = 'A01' AND "
                  u"FCtlIndex>=0 ORDER BY FCtlIndex");
    EXPECT_EQ(batches[2],
              u"SELECT FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FNeedSave,FValueType,"
              u"FSaveValue,FFieldName,FEnable, FPrint," +
                  Bstr(c.head_caption_column) +
                  u" AS FHeadCaption ,FWidth,FNeedCount,FRelationID,FAction,FMustInput,FFilter,"
                  u"FSaveRule, FDefaultCtl,FVisForBillType,FRelateOutTbl,FSysMustInputItem,"
                  u"FStatCount  FROM ICTemplateEntry WHERE FID = 'A01' ORDER BY FCtlOrder");
  }
}

TEST_F(MetadataTest, BillPackageRaisesWhenTheBillTypeOrThePackageReaderIsMissing) {
  const oleaut::ComError no_row = ErrorOf([&] { data_->Call(u"GetBillPackage", Dsn(), 999); });
  EXPECT_EQ(no_row.VbNumber(), oleaut::kObjectVariableNotSet);
  EXPECT_NE(oleaut::ToUtf8(no_row.Description()).find("bill type 999"), std::string::npos);

  UseEmptyRegistry();
  const oleaut::ComError unregistered = ErrorOf([&] { data_->Call(u"GetBillPackage", Dsn(), 1); });
  EXPECT_EQ(unregistered.Number(), com::REGDB_E_CLASSNOTREG);
  EXPECT_NE(oleaut::ToUtf8(unregistered.Description()).find("TAVMBillsPackage.clsReadPackage"),
            std::string::npos);
}

}  // namespace
}  // namespace billdata_test
