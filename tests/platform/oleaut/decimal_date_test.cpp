#include <gtest/gtest.h>

#include <cmath>

#include "com_error_of.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/decimal.h"

namespace oleaut {
namespace {

Decimal D(std::u16string_view text) {
  auto d = Decimal::Parse(text);
  EXPECT_TRUE(d.has_value()) << "not parsed";
  return d.value_or(Decimal());
}

TEST(Decimal, TextRoundTripKeepsScale) {
  struct Case {
    std::u16string_view in;
    std::u16string_view out;
    int scale;
  };
  const Case cases[] = {
      {u"1.5000000000", u"1.5000000000", 10},
      {u"-0.25", u"-0.25", 2},
      {u" 12 ", u"12", 0},
      {u"+007", u"7", 0},
      {u".5", u"0.5", 1},
      {u"1e3", u"1000", 0},
      {u"1.5e-3", u"0.0015", 4},
      {u"79228162514264337593543950335", u"79228162514264337593543950335", 0},
      {u"0.0000000000000000000000000001", u"0.0000000000000000000000000001", 28},
      // More than 28 places: rounded, halves to even.
      {u"0.00000000000000000000000000015", u"0.0000000000000000000000000002", 28},
      {u"0.00000000000000000000000000025", u"0.0000000000000000000000000002", 28},
      // 29 significant digits that do not fit 96 bits lose a fractional digit.
      {u"9.9999999999999999999999999999", u"10.000000000000000000000000000", 27},
      {u"-0.00", u"0.00", 2},
  };
  for (const Case& c : cases) {
    const Decimal d = D(c.in);
    EXPECT_EQ(d.ToString(), c.out);
    EXPECT_EQ(d.Scale(), c.scale);
  }
  for (std::u16string_view bad :
       {u"", u" ", u"abc", u"1.2.3", u"1e", u"--1", u"79228162514264337593543950336", u"1e29"}) {
    EXPECT_FALSE(Decimal::Parse(bad).has_value());
  }
}

TEST(Decimal, ComparesByValue) {
  EXPECT_EQ(D(u"1.50"), D(u"1.5"));
  EXPECT_LT(D(u"-2"), D(u"-1.999"));
  EXPECT_LT(D(u"0.0000000000000000000000000001"), D(u"79228162514264337593543950335"));
  EXPECT_GT(D(u"1.0000000000000000000000000001"), D(u"1"));
  EXPECT_EQ(D(u"-0"), D(u"0.000"));
}

TEST(Decimal, ToInt64RoundsHalvesToEven) {
  const std::pair<std::u16string_view, std::int64_t> cases[] = {
      {u"0.5", 0},
      {u"1.5", 2},
      {u"2.5", 2},
      {u"-2.5", -2},
      {u"2.5000001", 3},
      {u"-9223372036854775808", INT64_MIN},
      {u"9223372036854775807.4", INT64_MAX}};
  for (const auto& [text, expected] : cases)
    EXPECT_EQ(D(text).ToInt64(), expected);
  EXPECT_FALSE(D(u"9223372036854775807.5").ToInt64().has_value());
}

TEST(Decimal, RescaleRoundsHalvesAwayFromZero) {
  EXPECT_EQ(D(u"2.345").Rescale(2)->ToString(), u"2.35");
  EXPECT_EQ(D(u"-2.345").Rescale(2)->ToString(), u"-2.35");
  EXPECT_EQ(D(u"2.344").Rescale(2)->ToString(), u"2.34");
  EXPECT_EQ(D(u"1.5").Rescale(10)->ToString(), u"1.5000000000");
  EXPECT_EQ(D(u"-0.004").Rescale(2)->ToString(), u"0.00");
  EXPECT_FALSE(D(u"79228162514264337593543950335").Rescale(1).has_value());
  EXPECT_FALSE(D(u"1").Rescale(29).has_value());
}

TEST(Decimal, FromDoubleKeepsFifteenDigits) {
  EXPECT_EQ(Decimal::FromDouble(0.1).ToString(), u"0.1");
  EXPECT_EQ(Decimal::FromDouble(0.1 + 0.2).ToString(), u"0.3");
  EXPECT_EQ(Decimal::FromDouble(-1.0 / 3).ToString(), u"-0.333333333333333");
  EXPECT_EQ(Decimal::FromDouble(1e20).ToString(), u"100000000000000000000");
  EXPECT_EQ(Decimal::FromDouble(123456789.125).ToString(), u"123456789.125");
  EXPECT_EQ(Decimal::FromDouble(1.25e-30).ToString(), u"0");
  EXPECT_DOUBLE_EQ(D(u"-12.375").ToDouble(), -12.375);
  for (double bad : {1e29, -1e30, std::nan(""), HUGE_VAL}) {
    EXPECT_EQ(tavtest::ErrorOf([&] { Decimal::FromDouble(bad); }).VbNumber(), kOverflow) << bad;
  }
}

TEST(Date, FieldsRoundTrip) {
  struct Case {
    double ole;
    std::u16string_view iso;
  };
  const Case cases[] = {
      {0.0, u"1899-12-30 00:00:00.000"},       {2.5, u"1900-01-01 12:00:00.000"},
      {-1.25, u"1899-12-29 06:00:00.000"},     {45292.0, u"2024-01-01 00:00:00.000"},
      {-657434.0, u"0100-01-01 00:00:00.000"}, {2958465.0, u"9999-12-31 00:00:00.000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Date(c.ole).ToIsoString(), c.iso);
    const auto parsed = Date::ParseIso(c.iso);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_DOUBLE_EQ(parsed->OleValue(), c.ole);
  }
  // 23:59:59.9996 rounds into the next day rather than showing 24:00.
  EXPECT_EQ(Date(45292.0 - 0.0004 / 86400).ToIsoString(), u"2024-01-01 00:00:00.000");
  EXPECT_EQ(Date(45658.75).ToIsoDateString(), u"2025-01-01");
}

TEST(Date, ParseIsoForms) {
  const auto with_ms = Date::ParseIso(u"2024-02-29T13:14:15.5");
  ASSERT_TRUE(with_ms);
  EXPECT_EQ(with_ms->ToIsoString(), u"2024-02-29 13:14:15.500");
  EXPECT_EQ(Date::ParseIso(u" 2024-02-29 13:14 ")->ToIsoString(), u"2024-02-29 13:14:00.000");
  for (std::u16string_view bad : {u"2023-02-29", u"2024-13-01", u"2024-1-01", u"2024-01-01 24:00",
                                  u"2024-01-01x", u"0099-12-31", u"2024-01-01 10:00:00.", u""}) {
    EXPECT_FALSE(Date::ParseIso(bad).has_value()) << std::string(bad.begin(), bad.end());
  }
  EXPECT_EQ(tavtest::ErrorOf([] {
              Date::FromFields({2023, 4, 31, 0, 0, 0, 0});
            }).VbNumber(),
            kInvalidProcedureCall);
}

}  // namespace
}  // namespace oleaut
