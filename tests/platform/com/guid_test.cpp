#include "platform/com/guid.h"

#include <gtest/gtest.h>

#include <unordered_set>

#include "com_error_of.h"
#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"

namespace {

using com::Guid;

constexpr Guid kGetData = Guid::Parse("{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}");

TEST(Guid, ReadsTheRegistryFormWithOrWithoutBracesInAnyCase) {
  for (const char* text :
       {"{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}", "E8C86E9C-A0D9-4B40-9881-3B4968F27ECA",
        "{e8c86e9c-a0d9-4b40-9881-3b4968f27eca}"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(Guid::Parse(std::string_view(text)), kGetData);
  }
  EXPECT_EQ(Guid::Parse(u"e8c86e9c-A0D9-4b40-9881-3B4968F27ECA"), kGetData);
  EXPECT_EQ(kGetData.data1, 0xE8C86E9CU);
  EXPECT_EQ(kGetData.data4[7], 0xCA);
}

TEST(Guid, WritesUpperCaseWithBraces) {
  EXPECT_EQ(Guid::Parse("774e4f9d-1926-4c21-a82f-d38db29d893e").ToString(),
            "{774E4F9D-1926-4C21-A82F-D38DB29D893E}");
  EXPECT_EQ(kGetData.ToBstr(), u"{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}");
}

TEST(Guid, ComparesAndHashesByValue) {
  const Guid other = Guid::Parse("{774E4F9D-1926-4C21-A82F-D38DB29D893E}");
  EXPECT_NE(kGetData, other);
  EXPECT_LT(other, kGetData);
  std::unordered_set<Guid> set{kGetData, other,
                               Guid::Parse("e8c86e9c-a0d9-4b40-9881-3b4968f27eca")};
  EXPECT_EQ(set.size(), 2U);
  EXPECT_TRUE(Guid{}.IsNull());
  EXPECT_FALSE(kGetData.IsNull());
}

TEST(Guid, MalformedTextSaysWhatIsWrong) {
  struct Case {
    std::u16string_view text;
    const char* reason;
  };
  const Case cases[] = {
      {u"", "32 hex digits"},
      {u"{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA", "no closing brace"},
      {u"E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}", "no opening brace"},
      {u"{E8C86E9C-A0D9-4B40-9881-3B4968F27EC}", "32 hex digits"},
      {u"{E8C86E9C-A0D9-4B40-9881-3B4968F27ECAA}", "32 hex digits"},
      {u"{E8C86E9G-A0D9-4B40-9881-3B4968F27ECA}", "hex digit at position 9"},
      {u"{E8C86E9C+A0D9-4B40-9881-3B4968F27ECA}", "hyphen"},
      {u"{E8C86E9C-A0D9-4B40-9881-3B4968F27EC\u00C9}", "hex digit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.text));
    const auto error = tavtest::ErrorOf([&] { Guid::Parse(c.text); });
    EXPECT_EQ(error.Number(), com::CO_E_CLASSSTRING);
    EXPECT_NE(oleaut::ToUtf8(error.Description()).find(c.reason), std::string::npos)
        << error.what();
  }
}

}  // namespace
