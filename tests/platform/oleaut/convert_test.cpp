#include "platform/oleaut/convert.h"

#include <gtest/gtest.h>

#include <functional>

#include "com_error_of.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/compare.h"
#include "platform/oleaut/default_value.h"

namespace oleaut {
namespace {

using tavtest::VbErrorOf;

Decimal Dec(std::u16string_view text) {
  return *Decimal::Parse(text);
}

using Field = tavtest::DefaultValueOf;

class Plain : public com::Unknown {};

// A faulty object whose default value is itself.
class SelfDefault : public com::Unknown, public HasDefaultValue {
 public:
  Variant DefaultValue() const override {
    return com::Ptr<SelfDefault>(const_cast<SelfDefault*>(this));
  }
};

TEST(Convert, ToLongAndIntegerRoundHalvesToEven) {
  const std::pair<Variant, std::int32_t> cases[] = {
      {0.5, 0},
      {1.5, 2},
      {2.5, 2},
      {-2.5, -2},
      {-0.5, 0},
      {2.5000001, 3},
      {u"12", 12},
      {u" 3.5 ", 4},
      {u"1,000", 1000},
      {u"&H10", 16},
      {true, -1},
      {Variant(), 0},
      {Dec(u"2.5"), 2},
      {Date(1.5), 2},
      {std::int16_t{7}, 7},
      {com::Make<Field>(Variant(u"41")), 41},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(ToLong(value), expected) << ToUtf8(ToString(value));
    EXPECT_EQ(ToInteger(value), expected) << ToUtf8(ToString(value));
  }
}

TEST(Convert, OverflowAtTheLimits) {
  const std::pair<Variant, bool> integer_cases[] = {
      {32767, true},    {32768, false},   {-32768, true},    {-32769, false},
      {32767.5, false}, {-32768.5, true}, {u"40000", false}, {Dec(u"32767.4"), true}};
  for (const auto& [value, fits] : integer_cases) {
    EXPECT_EQ(VbErrorOf([&] { ToInteger(value); }), fits ? 0 : kOverflow)
        << ToUtf8(ToString(value));
  }
  const std::pair<Variant, bool> long_cases[] = {
      {2147483647.0, true},        {2147483648.0, false}, {-2147483648.0, true},
      {-2147483649.0, false},      {2147483647.5, false}, {u"1e10", false},
      {Dec(u"2147483648"), false}, {1e300, false}};
  for (const auto& [value, fits] : long_cases) {
    EXPECT_EQ(VbErrorOf([&] { ToLong(value); }), fits ? 0 : kOverflow) << ToUtf8(ToString(value));
  }
}

TEST(Convert, NullEmptyAndBadValuesRaiseAsVbDoes) {
  const auto to_long = [](Variant v) { return [v] { ToLong(v); }; };
  EXPECT_EQ(VbErrorOf(to_long(kNull)), kInvalidUseOfNull);
  EXPECT_EQ(VbErrorOf(to_long(com::Make<Field>(Variant(kNull)))), kInvalidUseOfNull);
  EXPECT_EQ(VbErrorOf(to_long(u"abc")), kTypeMismatch);
  EXPECT_EQ(VbErrorOf(to_long(u"")), kTypeMismatch);
  EXPECT_EQ(VbErrorOf(to_long(u"12abc")), kTypeMismatch);
  EXPECT_EQ(VbErrorOf(to_long(com::Make<Plain>())), kTypeMismatch);
  EXPECT_EQ(VbErrorOf(to_long(Variant::Nothing())), kObjectVariableNotSet);
  EXPECT_EQ(VbErrorOf(to_long(ByteArray{1, 2})), kTypeMismatch);
  EXPECT_EQ(VbErrorOf(to_long(com::Make<SelfDefault>())), kTypeMismatch);
  EXPECT_EQ(VbErrorOf([] { ToString(kNull); }), kInvalidUseOfNull);
  EXPECT_EQ(VbErrorOf([] { ToString(com::Make<Plain>()); }), kTypeMismatch);
  EXPECT_EQ(ToString(Variant()), u"");
  EXPECT_EQ(ToDouble(Variant()), 0.0);
  EXPECT_FALSE(ToBoolean(Variant()));
}

TEST(Convert, ToStringForms) {
  const std::pair<Variant, std::u16string_view> cases[] = {
      {0.1, u"0.1"},
      {1.0 / 3, u"0.3333333333333333"},
      {1e20, u"1E+20"},
      {1.5e-7, u"1.5E-07"},
      {-1.5e-7, u"-1.5E-07"},
      {123456789012345680.0, u"1.2345678901234568E+17"},
      {123456789012345.0, u"123456789012345"},
      {1e15, u"1E+15"},
      {0.0001, u"0.0001"},
      {0.00001, u"1E-05"},
      {-0.0, u"0"},
      {100.0, u"100"},
      {true, u"True"},
      {false, u"False"},
      {-32768, u"-32768"},
      {Dec(u"1.5000000000"), u"1.5"},
      {Dec(u"-0.00"), u"0"},
      {Dec(u"100"), u"100"},
      {Date(45292.0), u"2024-01-01"},
      {Date(45292.5), u"2024-01-01 12:00:00"},
      {com::Make<Field>(Variant(12)), u"12"},
  };
  for (const auto& [value, expected] : cases)
    EXPECT_EQ(ToString(value), expected);
}

TEST(Convert, ValReadsTheLeadingNumber) {
  const std::pair<std::u16string_view, double> cases[] = {
      {u" 12abc", 12},  {u" 1 2", 12},   {u"1e3", 1000},  {u"abc", 0},     {u"", 0},
      {u"-1.5x", -1.5}, {u"\t- 3", -3},  {u"1.2.3", 1.2}, {u"1e", 1},      {u".5", 0.5},
      {u"&H10", 16},    {u"&HFFFF", -1}, {u"&O17", 15},   {u"2.5D2", 250}, {u"1,000", 1},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_DOUBLE_EQ(Val(text), expected) << ToUtf8(text);
  }
  EXPECT_EQ(VbErrorOf([] { Val(u"1e400"); }), kOverflow);
}

TEST(Convert, OtherTargets) {
  EXPECT_EQ(FormatZeroPadded(7, 3), u"007");
  EXPECT_EQ(FormatZeroPadded(1234, 3), u"1234");
  EXPECT_EQ(FormatZeroPadded(-7, 3), u"-007");
  EXPECT_TRUE(ToBoolean(u" TRUE "));
  EXPECT_FALSE(ToBoolean(u"false"));
  EXPECT_TRUE(ToBoolean(u"-2"));
  EXPECT_EQ(VbErrorOf([] { ToBoolean(u"yes"); }), kTypeMismatch);
  EXPECT_EQ(ToDecimal(u"1.50").ToString(), u"1.50");
  EXPECT_EQ(ToDecimal(0.1).ToString(), u"0.1");
  EXPECT_EQ(VbErrorOf([] { ToDecimal(u"1e40"); }), kOverflow);
  EXPECT_EQ(ToDate(u"2024-01-01 12:00").OleValue(), 45292.5);
  EXPECT_EQ(VbErrorOf([] { ToDate(u"01/02/2024"); }), kTypeMismatch);
  EXPECT_EQ(VbErrorOf([] { ToDate(1e7); }), kOverflow);
  EXPECT_DOUBLE_EQ(ToDouble(u" -1.25e2 "), -125.0);
}

TEST(Convert, ChangeTypeCoercesToTheDeclaredType) {
  EXPECT_EQ(ChangeType(u"12", VarType::Long), Variant(12));
  EXPECT_EQ(ChangeType(2.5, VarType::Integer), Variant(std::int16_t{2}));
  EXPECT_EQ(ChangeType(12, VarType::String), Variant(u"12"));
  EXPECT_EQ(ChangeType(kNull, VarType::Variant), Variant(kNull));
  EXPECT_EQ(ChangeType(kMissing, VarType::Variant), Variant(kMissing));
  EXPECT_EQ(ChangeType(u"ab", VarType::ByteArray), Variant(ByteArray{'a', 0, 'b', 0}));
  EXPECT_TRUE(ChangeType(Variant::Nothing(), VarType::Object).IsNothing());
  EXPECT_EQ(VbErrorOf([] { ChangeType(u"abc", VarType::Long); }), kTypeMismatch);
  EXPECT_EQ(VbErrorOf([] { ChangeType(kNull, VarType::String); }), kInvalidUseOfNull);
  EXPECT_EQ(VbErrorOf([] { ChangeType(40000, VarType::Integer); }), kOverflow);
  EXPECT_EQ(VbErrorOf([] { ChangeType(kMissing, VarType::Long); }), kTypeMismatch);
  EXPECT_EQ(VbErrorOf([] { ChangeType(12, VarType::Object); }), kTypeMismatch);
}

TEST(Compare, NumbersByValueTextsByCodeUnits) {
  EXPECT_EQ(Compare(2, 2.0), Comparison::Equal);
  EXPECT_EQ(Compare(Dec(u"2.00"), std::int16_t{2}), Comparison::Equal);
  EXPECT_EQ(Compare(Dec(u"0.1"), 0.1), Comparison::Equal);
  EXPECT_EQ(Compare(-1, true), Comparison::Equal);
  EXPECT_EQ(Compare(u"a", u"A"), Comparison::Greater);
  EXPECT_EQ(Compare(u"abc", u"abd"), Comparison::Less);
  EXPECT_EQ(Compare(Variant(), 0), Comparison::Equal);
  EXPECT_EQ(Compare(Variant(), u""), Comparison::Equal);
  EXPECT_EQ(Compare(1, u"1"), Comparison::Less);
  EXPECT_EQ(Compare(kNull, kNull), Comparison::Null);
  EXPECT_TRUE(ValuesEqual(com::Make<Field>(Variant(u"x")), u"x"));
  EXPECT_FALSE(ValuesEqual(kNull, 1));
  EXPECT_EQ(VbErrorOf([] { Compare(com::Make<Plain>(), 1); }), kTypeMismatch);
}

}  // namespace
}  // namespace oleaut
