#include "platform/oleaut/text.h"

#include <gtest/gtest.h>

namespace oleaut {
namespace {

TEST(Text, Utf8RoundTripKeepsChineseAndSurrogatePairs) {
  const std::string utf8 = "打印模板 \xF0\x9F\x98\x80 x";
  EXPECT_EQ(ToUtf8(FromUtf8(utf8)), utf8);
  EXPECT_EQ(FromUtf8("\xF0\x9F\x98\x80").size(), 2U);  // one code point, two code units
}

TEST(Text, Utf8DecodesWellFormedTextAndMarksEachIllFormedSequence) {
  const std::string ascii = "0123456789abcdef";  // longer than a word of eight bytes
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"", u""},
      {ascii, u"0123456789abcdef"},
      {ascii + "\xC3\xA9" + ascii, u"0123456789abcdef\u00E90123456789abcdef"},
      {"abcdefg\xE9\x95\xBF", u"abcdefg\u957F"},
      {"\xF4\x8F\xBF\xBF\xEF\xBF\xBF", u"\U0010FFFF\uFFFF"},
      // Ill-formed (in octal, which ends after three digits): a stray continuation byte, an
      // overlong form, a surrogate, a code point past U+10FFFF, a sequence cut short inside the
      // text and at its end.
      {ascii + "\x80" + "x", u"0123456789abcdef\uFFFDx"},
      {"a\300\200b", u"a\uFFFDb"},
      {"a\355\240\200b", u"a\uFFFDb"},
      {"a\364\220\200\200b", u"a\uFFFDb"},
      {"a\351\225b", u"a\uFFFDb"},
      {"ab\xE9\x95", u"ab\uFFFD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(FromUtf8(c.utf8), c.utf16);
  }
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
