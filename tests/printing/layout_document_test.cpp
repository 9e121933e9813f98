// Layout documents, print settings and printed values, through the print client library.
#include "printing/layout_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "com_error_of.h"
#include "platform/oleaut/text.h"
#include "printing/print_settings.h"
#include "printing/value_format.h"
#include "temp_dir.h"

namespace {

using printing::Layout;
using printing::ParseLayoutDocument;
using testing::HasSubstr;

// The description of the error `action` raises.
std::string ErrorOf(const std::function<void()>& action) {
  return oleaut::ToUtf8(tavtest::ErrorOf(action).Description());
}

std::string Document(const std::string& json) {
  return "TAV-LAYOUT 1\n" + json;
}

TEST(LayoutDocument, SignatureTellsLayoutsFromOtherBodies) {
  EXPECT_TRUE(printing::IsLayoutDocument(Document("{}")));
  EXPECT_FALSE(printing::IsLayoutDocument("TAVPRT01\x01\x02"));
  EXPECT_FALSE(printing::IsLayoutDocument(""));
  EXPECT_THAT(ErrorOf([] { ParseLayoutDocument("TAV-LAYOUT 2\n{}"); }),
              HasSubstr("version \"2\" is not one this client reads"));
}

TEST(LayoutDocument, SyntaxErrorsGiveLineColumnAndWhatWasExpected) {
  // Line 1 is the signature: the JSON's third line is the body's fourth.
  const std::string body = Document("{\n  \"name\": \"x\",\n  \"paper\": {\"size\": \"A4\",}\n}");
  const std::string error = ErrorOf([&] { ParseLayoutDocument(body); });
  EXPECT_THAT(error, HasSubstr("line 4, column 26"));
  EXPECT_THAT(error, HasSubstr("expected string literal"));
}

TEST(LayoutDocument, InvalidLayoutsNameTheElement) {
  const struct {
    const char* json;
    const char* error;
  } cases[] = {
      {R"({"paper": {"size": "A9"}})", "paper.size: expected A3, A4"},
      {R"({"widht": 3})", "layout: unknown key \"widht\""},
      {R"({"bill_head": {"height": 10, "elements": [{"type": "text", "x": 180, "width": 20,
           "height": 5, "text": "x"}]}})",
       "bill_head.elements[0]: reaches 200.0 mm across, beyond the 190.0 mm"},
      {R"({"bill_head": {"height": 10, "elements": [{"type": "text", "y": 8, "width": 20,
           "height": 5, "field": "FBillNo"}]}})",
       "bill_head.elements[0]: reaches 13.0 mm down, below the 10.0 mm high bill_head band"},
      {R"({"page_header": {"height": 10, "elements": [{"type": "text", "width": 20,
           "height": 5}]}})",
       "page_header.elements[0]: a text needs"},
      {R"({"page_header": {"height": 10, "elements": [{"type": "barcode", "width": 20,
           "height": 5, "symbology": "ean8"}]}})",
       "page_header.elements[0].symbology: expected one of code128, datamatrix, ean13, qr"},
      {R"({"table": {"columns": [{"field": "FNote", "width": 20, "sum": true}]}})",
       "table.columns[0] (FNote): only a number, amount, quantity or price column can be summed"},
      {R"({"table": {"columns": [{"field": "FQty", "width": 120}, {"field": "FNote",
           "width": 80}]}})",
       "table.columns: are 200.0 mm wide together, more than the 190.0 mm"},
      {R"({"table": {"columns": [{"caption": "x"}]}})", "table.columns[0]: expected \"field\""},
      {R"({"bill_head": {"height": 300}})", "more than the 277.0 mm between the margins"},
      {R"({"font": {"size": "9"}})", "font.size: expected a number, found string \"9\""},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(ErrorOf([&] { ParseLayoutDocument(Document(c.json)); }), HasSubstr(c.error))
        << c.json;
  }
}

TEST(LayoutDocument, ReadsBandsTableAndFormats) {
  const Layout layout = ParseLayoutDocument(Document(R"({
    "paper": {"size": "A5", "orientation": "landscape", "margins": {"top": 5, "left": 7}},
    "page_footer": {"height": 6, "elements": [{"type": "text", "width": 50, "height": 5,
                    "text": "{page}/{pages}", "align": "right"}]},
    "table": {"row_height": 8, "columns": [
      {"field": "FQty", "width": 30, "format": "quantity", "sum": true},
      {"field": "FBarCode", "width": 40, "barcode": "ean13"},
      {"field": "FDate", "width": 30, "format": {"kind": "date", "pattern": "dd/MM/yyyy"}}]}})"));
  EXPECT_TRUE(layout.paper.landscape);
  EXPECT_DOUBLE_EQ(layout.paper.PageWidth(), 210);
  EXPECT_DOUBLE_EQ(layout.paper.margin_left, 7);
  EXPECT_DOUBLE_EQ(layout.paper.margin_right, 10);
  ASSERT_EQ(layout.table.columns.size(), 3U);
  EXPECT_TRUE(layout.table.columns[0].sum);
  EXPECT_EQ(layout.table.columns[1].barcode, printing::Symbology::kEan13);
  EXPECT_EQ(layout.table.columns[2].format.pattern, "dd/MM/yyyy");
  EXPECT_EQ(layout.page_footer.elements[0].align, printing::Align::kRight);
}

// The complete example of docs/layout.md is a valid layout.
TEST(LayoutDocument, TheDocumentedExampleParses) {
  const char* source = std::getenv("TAV_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  const std::string doc = tavtest::ReadText(std::filesystem::path(source) / "docs" / "layout.md");
  const std::size_t start = doc.find("```\nTAV-LAYOUT 1\n{");
  ASSERT_NE(start, std::string::npos);
  const std::size_t end = doc.find("\n```", start + 4);
  const Layout layout = ParseLayoutDocument(doc.substr(start + 4, end - start - 4));
  EXPECT_EQ(layout.table.columns.size(), 10U);
}

TEST(PrintSettings, RoundTripAndErrors) {
  printing::PrintSettings settings;
  printing::SetPrintSetting(settings, "paper", "A5");
  printing::SetPrintSetting(settings, "margins", "8,9,10,11.5");
  printing::SetPrintSetting(settings, "copies", "2");
  const std::string text = printing::FormatPrintSettings(settings);
  EXPECT_EQ(text, "TAV-PRINTSET 1\npaper=A5\nmargins=8,9,10,11.5\ncopies=2\n");
  const printing::PrintSettings read = printing::ParsePrintSettings(text);
  EXPECT_EQ(read.paper, "A5");
  EXPECT_FALSE(read.landscape.has_value());
  EXPECT_DOUBLE_EQ(read.margins->left, 11.5);
  printing::Paper paper;
  printing::ApplyPrintSettings(read, paper);
  EXPECT_DOUBLE_EQ(paper.width, 148);
  EXPECT_DOUBLE_EQ(paper.margin_top, 8);

  EXPECT_FALSE(printing::IsPrintSettings("PSET\x9c\xd7"));
  EXPECT_THAT(ErrorOf([] { printing::ParsePrintSettings("TAV-PRINTSET 1\npaper=A4\ncopies=0\n"); }),
              HasSubstr("line 3: copies: expected a whole number from 1 to 99"));
  EXPECT_THAT(ErrorOf([] { printing::ParsePrintSettings("TAV-PRINTSET 1\nduplex=yes\n"); }),
              HasSubstr("unknown print setting \"duplex\""));
  printing::PrintSettings bad;
  EXPECT_THAT(ErrorOf([&] { printing::SetPrintSetting(bad, "margins", "1,2,3"); }),
              HasSubstr("expected four numbers"));
}

TEST(ValueFormat, NumbersDatesAndRowDecimals) {
  using Kind = printing::ValueFormat::Kind;
  const auto format = [](Kind kind, int decimals = -1, bool thousands = false) {
    printing::ValueFormat f;
    f.kind = kind;
    f.decimals = decimals;
    f.thousands = thousands;
    return f;
  };
  const auto decimal = [](const char16_t* text) { return *oleaut::Decimal::Parse(text); };
  const printing::RowDecimals row{3, 4};
  const struct {
    oleaut::Variant value;
    printing::ValueFormat format;
    std::string shown;
  } cases[] = {
      {decimal(u"1234567.005"), format(Kind::kAmount, -1, true), "1,234,567.01"},
      {decimal(u"-0.004"), format(Kind::kAmount), "0.00"},
      {decimal(u"12.50000000000000"), format(Kind::kNumber), "12.5"},
      {decimal(u"0.375"), format(Kind::kQuantity), "0.375"},
      {12.5, format(Kind::kQuantity), "12.500"},
      {21.35, format(Kind::kPrice), "21.3500"},
      {0.1 + 0.2, format(Kind::kNumber), "0.30000000000000004"},
      {std::int32_t{7}, format(Kind::kNumber, 2), "7.00"},
      {oleaut::Variant(oleaut::Date::ParseIso(u"2024-06-03").value()), format(Kind::kDate),
       "2024-06-03"},
      {oleaut::Variant(oleaut::Bstr(u"纯棉T恤")), format(Kind::kText), "纯棉T恤"},
      {oleaut::Variant(oleaut::kNull), format(Kind::kAmount), ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(printing::FormatValue(c.value, c.format, row), c.shown) << c.shown;
}

TEST(ExactSum, AddsDecimalsWithoutRounding) {
  printing::ExactSum sum;
  for (int i = 0; i < 10; ++i)
    sum.Add(0.1);  // each the decimal 0.1 the database was given
  sum.Add(oleaut::Variant(*oleaut::Decimal::Parse(u"266.88")));
  sum.Add(oleaut::Variant(oleaut::kNull));
  sum.Add(std::int32_t{-1});
  EXPECT_EQ(oleaut::ToUtf8(sum.Value().ToString()), "266.88");
}

}  // namespace
