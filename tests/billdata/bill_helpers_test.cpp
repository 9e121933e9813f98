// The first field of a statement, as the bill data members read single values. A missing local
// report database is tested with the industry edition's entry rows.
#include "billdata/bill_helpers.h"

#include <gtest/gtest.h>

#include "bill_fixture.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

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

}  // namespace
}  // namespace billdata_test
