// How the renderer breaks a bill into pages, on bills made up in memory.
#include "printing/bill_renderer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "printing/layout_document.h"

namespace {

using printing::BillContent;
using printing::PagePlan;

struct NoPictures : printing::PictureProvider {
  std::optional<std::vector<std::uint8_t>> Bytes(const printing::PictureSource&,
                                                 const oleaut::Variant&) override {
    return std::nullopt;
  }
};

// A5 portrait: 190 mm between the margins; 10 mm heads, 20 mm bill head, 7 mm column heads,
// 6 mm rows, a summed amount.
printing::Layout TestLayout(double bill_footer = 10) {
  return printing::ParseLayoutDocument(
      "TAV-LAYOUT 1\n"
      R"({"paper": {"size": "A5"},
          "page_header": {"height": 10}, "bill_head": {"height": 20},
          "table": {"head_height": 7, "row_height": 6, "columns": [
            {"field": "FNote", "width": 60, "overflow": "wrap"},
            {"field": "FAmount", "width": 30, "format": "amount", "sum": true}]},
          "bill_footer": {"height": )" +
      std::to_string(bill_footer) + R"(}, "page_footer": {"height": 7}})");
}

BillContent Bill(const printing::LayoutFields& fields, const std::vector<std::string>& notes) {
  BillContent bill;
  for (const std::string& note : notes) {
    std::vector<oleaut::Variant> line(fields.entry.size());
    line[*fields.EntrySlot("FNote")] = oleaut::Variant(oleaut::FromUtf8(note));
    line[*fields.EntrySlot("FAmount")] = 1.25;
    bill.lines.push_back(std::move(line));
  }
  return bill;
}

// Every line on exactly one page, in order; only the last page is the last.
void ExpectContiguous(const std::vector<PagePlan>& pages, std::size_t lines) {
  ASSERT_FALSE(pages.empty());
  EXPECT_EQ(pages.front().first, 0U);
  for (std::size_t i = 0; i + 1 < pages.size(); ++i) {
    EXPECT_EQ(pages[i].end, pages[i + 1].first);
    EXPECT_FALSE(pages[i].last);
  }
  EXPECT_EQ(pages.back().end, lines);
  EXPECT_TRUE(pages.back().last);
}

class PlanTest : public ::testing::Test {
 protected:
  std::vector<PagePlan> Plan(const printing::Layout& layout, const std::vector<std::string>& notes,
                             std::vector<double>& heights) {
    const printing::LayoutFields fields = printing::FieldsOf(layout);
    printing::BillRenderer renderer(layout, fields, pictures_, [](const std::string&) {});
    return renderer.Plan(Bill(fields, notes), heights);
  }
  NoPictures pictures_;
};

TEST_F(PlanTest, TenThousandLinesFillPagesInOrder) {
  std::vector<double> heights;
  const auto pages = Plan(TestLayout(), std::vector<std::string>(10000, "螺栓 M8"), heights);
  ExpectContiguous(pages, 10000);
  // Page 1: 190 - 10 - 20 - 7 - 7 = 146 mm, less the carried-forward row: 23 lines; later
  // pages also give a row to the brought-forward sum: 25 lines.
  EXPECT_EQ(pages[0].end - pages[0].first, 23U);
  EXPECT_EQ(pages[1].end - pages[1].first, 25U);
  EXPECT_EQ(pages.size(), 1 + (10000 - 23 + 24) / 25);
}

TEST_F(PlanTest, WrappedLinesGrowAndAreNeverSplit) {
  std::vector<double> heights;
  const std::string long_note(3000, 'x');  // taller than a whole page when wrapped
  const auto pages = Plan(TestLayout(), {"a", long_note, "b"}, heights);
  ASSERT_EQ(heights.size(), 3U);
  EXPECT_DOUBLE_EQ(heights[0], 6);
  EXPECT_GT(heights[1], 190);
  ExpectContiguous(pages, 3);
  // The tall line goes on a page of its own (cut, not split); the lines around it do not share it.
  ASSERT_GE(pages.size(), 3U);
  EXPECT_EQ(pages[1].first, 1U);
  EXPECT_EQ(pages[1].end, 2U);
}

TEST_F(PlanTest, TotalsAndFooterThatDoNotFitGoToAPageOfTheirOwn) {
  std::vector<double> heights;
  // 23 lines fill page 1 exactly; a 40 mm footer with the totals row needs a page after them.
  const auto pages = Plan(TestLayout(40), std::vector<std::string>(23, "x"), heights);
  ExpectContiguous(pages, 23);
  ASSERT_EQ(pages.size(), 2U);
  EXPECT_EQ(pages[1].first, pages[1].end);
}

}  // namespace
