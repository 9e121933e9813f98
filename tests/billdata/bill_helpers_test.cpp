// The helpers of the bill data members by their own small tables: tokens of actions, membership,
// the first field of a statement, the local report database and the system directory.
#include "billdata/bill_helpers.h"

#include <gtest/gtest.h>

#include "bill_fixture.h"
#include "billdata/quality_columns.h"
#include "platform/oleaut/text.h"
#include "platform/win/event_log.h"

namespace billdata_test {
namespace {

using billdata::GetToken;

TEST(BillHelpersTest, GetTokenSplitsAsTheActionsNeed) {
  struct Case {
    std::u16string_view text;
    std::int16_t index;
    std::u16string_view delimiter;
    std::u16string_view token;
  };
  const Case cases[] = {
      {u"a,b,,c", 1, u",", u"a"}, {u"a,b,,c", 2, u",", u"b"},    {u"a,b,,c", 3, u",", u""},
      {u"a,b,,c", 4, u",", u"c"}, {u"a,b,,c", 5, u",", u""},     {u"a,b,,c", 0, u",", u""},
      {u"a,b,,c", -1, u",", u""}, {u"", 1, u",", u""},           {u".,FModel", 2, u",", u"FModel"},
      {u"x;y;z", 2, u";", u"y"},  {u"a::b::c", 2, u"::", u":b"}, {u"abc", 1, u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetToken(c.text, c.index, c.delimiter), c.token)
        << oleaut::ToUtf8(c.text) << " #" << c.index;
  }
}

TEST(BillHelpersTest, IsInArrayComparesAsVariantsDo) {
  EXPECT_TRUE(billdata::IsInArray(Variant(std::int16_t{8}), {5, 8, 9}));
  EXPECT_TRUE(billdata::IsInArray(Variant(8.0), {5, 8, 9}));
  EXPECT_TRUE(billdata::IsInArray(Variant(u"FLowTolerance"), {u"FLowTolerance", u"FUpTolerance"}));
  EXPECT_FALSE(billdata::IsInArray(Variant(u"flowtolerance"), {u"FLowTolerance"}));
  EXPECT_FALSE(billdata::IsInArray(Variant(u"8"), {5, 8, 9}));  // a text is never a number here
  EXPECT_FALSE(billdata::IsInArray(Variant(oleaut::kNull), {5, 8}));
  EXPECT_FALSE(billdata::IsInArray(Variant(), {5, 8}));
}

TEST(BillHelpersTest, BackslashesAndTheSystemDirectory) {
  for (const auto& [path, expected] : {std::pair<Bstr, Bstr>{u"", u"\\"},
                                       {u"C:\\Windows", u"C:\\Windows\\"},
                                       {u"C:\\Windows\\", u"C:\\Windows\\"}}) {
    Bstr changed = path;
    billdata::AddBackslash(changed);
    EXPECT_EQ(changed, expected);
  }
  tavtest::TempDir dir;
  const auto long_dir = dir / std::string(150, 's');
  tavtest::ScopedEnv system("TAV_SYSTEM_DIR", long_dir.string());
  EXPECT_EQ(billdata::GetSystemDir(), oleaut::FromUtf8(long_dir.string()) + u"\\");
}

TEST(BillHelpersTest, QualityFieldsMapToTheirColumns) {
  using billdata::MapQualityField;
  EXPECT_EQ(MapQualityField(u"FTargetUnUse", true), u"FTargetID");
  EXPECT_EQ(MapQualityField(u"FLowerLimitUnUse", false), u"FLowerLimitQty");
  EXPECT_EQ(MapQualityField(u"FUpperLimitUnUse", true), u"FUpperLimitID");
  EXPECT_EQ(MapQualityField(u"ftestvalueunuse", true), u"FTestValueID");
  EXPECT_EQ(MapQualityField(u"FTestValueUnUse", false), u"FTestValue");
}

class FirstFieldTest : public BillDataTest {};

TEST_F(FirstFieldTest, GetFirstFieldTextReadsBitsAsOneOrZeroAndSwallowsErrors) {
  Exec(u"CREATE TABLE t_Flags (FID int, FOn bit NULL, FText nvarchar(20) NULL)");
  Exec(
      u"INSERT INTO t_Flags VALUES (1, 1, N'甲') INSERT INTO t_Flags VALUES (2, 0, NULL)"
      u" INSERT INTO t_Flags VALUES (3, NULL, '')");
  const struct {
    const char16_t* sql;
    const char16_t* text;
  } cases[] = {
      {u"select FOn from t_Flags where FID=1", u"1"},
      {u"select FOn from t_Flags where FID=2", u"0"},
      {u"select FOn from t_Flags where FID=3", u"0"},
      {u"select FText from t_Flags where FID=1", u"甲"},
      {u"select FText from t_Flags where FID=2", u""},
      {u"select FID from t_Flags order by FID desc", u"3"},
      {u"select FText from t_Flags where FID=9", u""},
      {u"select FNoSuch from t_Flags", u""},
      {u"update t_Flags set FID = FID", u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(billdata::GetFirstFieldText(RawConnection(), c.sql), c.text) << oleaut::ToUtf8(c.sql);
  EXPECT_EQ(billdata::GetFirstFieldText(nullptr, u"select 1"), u"");
}

TEST(BillHelpersTest, AMissingReportDatabaseIsReportedOnceAndTheCallGoesOn) {
  tavtest::TempDir dir;
  const Bstr path = oleaut::FromUtf8((dir / "TAVCom").string()) + u"\\Orvanta.mdb";
  win::ScopedEventCapture events;
  const auto connection = billdata::OpenJetConnection(path);
  EXPECT_FALSE(connection);
  EXPECT_EQ(billdata::GetFirstFieldText(connection, u"select FRepSql From T_RepNotePrintSql"), u"");
  ASSERT_EQ(events.Events().size(), 1U);
  EXPECT_EQ(events.Events()[0].type, win::EventType::Error);
}

}  // namespace
}  // namespace billdata_test
