#include "platform/oleaut/text.h"

#include <gtest/gtest.h>

namespace oleaut {
namespace {

TEST(Text, Utf8RoundTripKeepsChineseAndSurrogatePairs) {
  const std::string utf8 = "打印模板 \xF0\x9F\x98\x80 x";
  EXPECT_EQ(ToUtf8(FromUtf8(utf8)), utf8);
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80").size(), 2U);  // one code point, two code units
}

TEST(Text, TrimRemovesSpacesOnly) {
  EXPECT_EQ(Trim(u"  a b \t\n "), u"a b \t\n");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(LTrim(u"  x "), u"x ");
  EXPECT_EQ(RTrim(u"  x "), u"  x");
}

TEST(Text, CaseFoldingAndReplace) {
  EXPECT_EQ(UCase(u"ftemplateid"), u"FTEMPLATEID");
  EXPECT_TRUE(EqualsNoCase(u"FLookUpCls", u"flookupcls"));
  EXPECT_FALSE(EqualsNoCase(u"FName", u"FName_EN"));
  EXPECT_EQ(Replace(u"it's 'x'", u"'", u"''"), u"it''s ''x''");
}

}  // namespace
}  // namespace oleaut
