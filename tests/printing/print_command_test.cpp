// `tavprint print` as a user runs it, on the demo data source in a folder of its own: what the
// PDF says (pdftotext), its fonts (pdffonts), its bar codes (zbarimg on its pages), the counts,
// and the bad inputs.
#include <fmt/format.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "tavprint_fixture.h"

namespace tavtest {
namespace {

using testing::HasSubstr;
using testing::Not;

class PrintCommandTest : public TavprintTest {
 protected:
  // Saves `body` as the user's template of `bill_type` and selects it; the template's id.
  std::string UseLayout(int bill_type, const std::string& name, const std::string& body) {
    const std::filesystem::path file = dir_ / (name + ".layout");
    std::ofstream(file, std::ios::binary) << body;
    const Outcome saved = Tavprint("templates save " + std::to_string(bill_type) + " '" + name +
                                   "' '" + file.string() + "'");
    EXPECT_EQ(saved.status, 0) << saved.err;
    std::smatch id;
    const std::regex saved_id("Saved template (\\d+)");
    EXPECT_TRUE(std::regex_search(saved.out, id, saved_id));
    const Outcome selected =
        Tavprint("templates select " + std::to_string(bill_type) + " " + id[1].str());
    EXPECT_EQ(selected.status, 0) << selected.err;
    return id[1].str();
  }

  // Runs `statement` on the demo data source.
  void Change(const std::string& statement) {
    const Outcome run = Tavprint("sql demo \"" + statement + "\"");
    ASSERT_EQ(run.status, 0) << run.err;
  }

  std::string PdfText(const std::string& pdf, int first = 0, int last = 0) {
    const std::string pages =
        first > 0 ? " -f " + std::to_string(first) + " -l " + std::to_string(last) : "";
    return Shell("pdftotext -layout" + pages + " '" + pdf + "' -").out;
  }

  // The printout ("已打印3次") of bill `id` in the table of `bill count`, or its output.
  std::string PrintCount(int bill_type, int id) {
    const std::string out =
        Tavprint("bill count " + std::to_string(bill_type) + " " + std::to_string(id)).out;
    std::smatch printout;
    return std::regex_search(out, printout, std::regex("已打印\\d+次")) ? printout.str() : out;
  }

  // One text after another in `text`, in this order.
  static void ExpectInOrder(const std::string& text, const std::vector<std::string>& parts) {
    std::size_t at = 0;
    for (const std::string& part : parts) {
      const std::size_t found = text.find(part, at);
      ASSERT_NE(found, std::string::npos) << "\"" << part << "\" missing after offset " << at;
      at = found + part.size();
    }
  }

  static std::string Layout(const std::string& table_columns, const std::string& extra = "") {
    return R"(TAV-LAYOUT 1
{"page_header": {"height": 8, "elements": [
   {"type": "text", "width": 120, "height": 6, "label": "No. ", "field": "FBillNo"},
   {"type": "text", "x": 120, "width": 70, "height": 6, "print_count": true}]},
 "table": {"row_height": 8, "columns": [)" +
           table_columns + R"(]},
 "page_footer": {"height": 6, "elements": [
   {"type": "text", "width": 190, "height": 5, "text": "page {page} of {pages}"}]})" +
           extra + "}";
  }
};

TEST_F(PrintCommandTest, BillsPrintInTheOrderOfSelectionWithTheirOwnPageNumbers) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  const Outcome run = Tavprint("print 1 1002 1001 1009 --out bills.pdf");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("layout: layout document template"));
  EXPECT_THAT(run.out, HasSubstr("of 3 bills to bills.pdf"));
  const std::string text = PdfText((dir_ / "bills.pdf").string());
  ExpectInOrder(text, {"WIN000002", "Shenzhen Bright Electronics", "USB-C Cable 1m", "无线鼠标",
                       "第1页 共1页", "WIN000001", "纯棉T恤", "牛仔裤", "第1页 共1页", "WIN000009",
                       "第1页 共3页", "第2页 共3页", "第3页 共3页"});
  // The print count the page header shows is the one before this print (the demo printed once).
  EXPECT_THAT(text, HasSubstr("已打印2次"));
}

TEST_F(PrintCommandTest, LongBillsCarryTheExactSumOverEachPageBreak) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  ASSERT_EQ(Tavprint("print 1 1009 --preview --out long.pdf").status, 0);
  const std::string pdf = (dir_ / "long.pdf").string();
  const std::string page1 = PdfText(pdf, 1, 1);
  const std::string page2 = PdfText(pdf, 2, 2);
  for (const std::string& page : {page1, page2}) {
    EXPECT_THAT(page, HasSubstr("实收数量"));  // column heads on every page
    EXPECT_THAT(page, HasSubstr("金额"));
  }
  EXPECT_THAT(page1, Not(HasSubstr("承前页")));
  EXPECT_THAT(page2, HasSubstr("承前页"));
  // The lines on page 1 are those whose batch numbers it shows; the carried-forward amount is
  // the sum of their amounts as the database holds them.
  const std::regex batch("B2406-\\d\\d");
  const auto lines = static_cast<int>(std::distance(
      std::sregex_iterator(page1.begin(), page1.end(), batch), std::sregex_iterator()));
  ASSERT_GT(lines, 10);
  ASSERT_LT(lines, 60);
  const Outcome sum = Tavprint(
      "--json sql demo \"SELECT convert(varchar(30), sum(FAmount)) AS s FROM ICStockBillEntry "
      "WHERE FInterID=1009 AND FEntryID<=" +
      std::to_string(lines) + "\"");
  std::smatch value;
  const std::regex number(R"re("(\d+)\.(\d\d))re");
  ASSERT_TRUE(std::regex_search(sum.out, value, number)) << sum.out;
  std::string whole = value[1].str();
  for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
    whole.insert(static_cast<std::size_t>(i), ",");
  const std::string amount = whole + "." + value[2].str();
  std::smatch carried;
  const std::regex carried_row("过次页 +[0-9][^\\n]*");
  const std::regex brought_row("承前页 +[0-9][^\\n]*");
  ASSERT_TRUE(std::regex_search(page1, carried, carried_row)) << page1;
  EXPECT_THAT(carried.str(), HasSubstr(amount));
  std::smatch brought;
  ASSERT_TRUE(std::regex_search(page2, brought, brought_row));
  EXPECT_THAT(brought.str(), HasSubstr(amount));
}

TEST_F(PrintCommandTest, FontsAreEmbeddedSubsets) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  ASSERT_EQ(Tavprint("print 707 70701 --preview --out qc.pdf").status, 0);
  const std::string fonts = Shell("pdffonts qc.pdf").out;
  std::istringstream lines(fonts);
  std::string line;
  int embedded = 0;
  while (std::getline(lines, line)) {
    if (line.find('+') == std::string::npos) continue;  // subset names are ABCDEF+Name
    EXPECT_THAT(line, testing::ContainsRegex("yes +yes +yes")) << line;  // emb sub uni
    ++embedded;
  }
  EXPECT_GE(embedded, 1) << fonts;
}

TEST_F(PrintCommandTest, BarCodesDecodeToTheirColumnsValues) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  // The lines' Code 128 symbols are 26 mm wide: 300 dpi gives their bars two pixels or more.
  const Outcome run = Tavprint("print 1 1001 --preview --png pages --dpi 300");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string decoded = Shell("zbarimg -q pages/page-0001.png").out;
  EXPECT_THAT(decoded, HasSubstr("QR-Code:WIN000001"));
  EXPECT_THAT(decoded, HasSubstr("CODE-128:6901234567892"));
  EXPECT_THAT(decoded, HasSubstr("CODE-128:6901234567908"));
}

TEST_F(PrintCommandTest, PrintsAreCountedOnlyAfterTheFileIsWritten) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  const std::string before = PrintCount(1, 1002);
  ASSERT_EQ(Tavprint("print 1 1002 --preview --out p.pdf").status, 0);
  EXPECT_EQ(PrintCount(1, 1002), before);

  const Outcome unwritable = Tavprint("print 1 1002 --out no-such-folder/p.pdf");
  EXPECT_NE(unwritable.status, 0);
  EXPECT_THAT(unwritable.err, HasSubstr("no-such-folder/p.pdf"));
  EXPECT_EQ(PrintCount(1, 1002), before);

  // A failure half way (a bill that does not exist, after one that does) leaves no file.
  const Outcome missing = Tavprint("print 1 1002 424242 --out q.pdf");
  EXPECT_NE(missing.status, 0);
  EXPECT_THAT(missing.err, HasSubstr("Bill 424242 of bill type 1 (外购入库) does not exist"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "q.pdf"));
  EXPECT_EQ(Shell("ls -a | grep -c 'q.pdf.tmp' || true").out, "0\n");
  EXPECT_EQ(PrintCount(1, 1002), before);

  ASSERT_EQ(Tavprint("print 1 1002 1009 --out r.pdf").status, 0);
  EXPECT_EQ(before, "已打印2次");  // 1 in the data, 2 after the demo's print
  EXPECT_EQ(PrintCount(1, 1002), "已打印3次");
  EXPECT_EQ(PrintCount(1, 1009), "已打印2次");
}

TEST_F(PrintCommandTest, WithoutALayoutDocumentTheBillTemplateLaysTheBillOut) {
  // The demo data as seeded: bill type 21's selected body is the Windows designer's.
  const Outcome run = Tavprint("print 21 2001 2002 --preview --out sales.pdf");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("is not a layout document"));
  EXPECT_THAT(run.err, HasSubstr("font \"宋体\" is not installed"));
  const std::string text = PdfText((dir_ / "sales.pdf").string());
  ExpectInOrder(text, {"销售出库", "编号：XOUT000001", "购货单位：广州天河百货有限公司", "物料",
                       "实发数量", "纯棉T恤", "合计", "第1页 共1页", "XOUT000002"});
  const Outcome english = Tavprint("--language EN print 21 2002 --preview --out en.pdf");
  ASSERT_EQ(english.status, 0) << english.err;
  ExpectInOrder(PdfText((dir_ / "en.pdf").string()), {"Sales Delivery", "Bill No.: XOUT000002",
                                                      "Quantity Shipped", "Total", "Page 1 of 1"});
}

TEST_F(PrintCommandTest, BadLayoutsAndValuesAreNamed) {
  const std::string id = UseLayout(1, "broken", "TAV-LAYOUT 1\n{\"table\": {\"columns\": [}\n");
  Outcome run = Tavprint("print 1 1001 --out a.pdf");
  EXPECT_NE(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("template " + id + " of bill type 1: layout document, line 2"));

  UseLayout(1, "unknown column",
            Layout(R"({"field": "FItemIDName", "width": 40}, {"field": "FNoSuch", "width": 30})"));
  run = Tavprint("print 1 1001 --out a.pdf");
  EXPECT_NE(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("names the column FNoSuch, which the entry rows of bill type 1"));

  UseLayout(1, "ean13", Layout(R"({"field": "FBarCode", "width": 60, "barcode": "ean13"})"));
  Change("UPDATE t_BarCode SET FBarCode='6934567890130' WHERE FItemID=4 AND FIsPrint=1");
  run = Tavprint("print 1 1001 1002 --out a.pdf");
  EXPECT_NE(run.status, 0);
  EXPECT_THAT(run.err, HasSubstr("bill 1002, line 2, FBarCode"));
  EXPECT_THAT(run.err, HasSubstr("refuses \"6934567890130\""));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "a.pdf"));

  // A photo whose bytes are no image: its place stays empty, the bill prints.
  Change("UPDATE t_ICItem SET FSmallPhoto=0x89504E470D0A1A0A0102 WHERE FItemID=1");
  UseLayout(1, "pictures", Layout(R"({"field": "FItemIDName", "width": 40},
                      {"field": "FItemID", "width": 20, "picture": {"item": "FItemID"}})"));
  run = Tavprint("print 1 1001 --preview --out b.pdf");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(
      run.err,
      HasSubstr("bill 1001, line 1: the picture of FItemID 1 is no PNG, JPEG, BMP or GIF image"));
}

// A 12 by 8 picture in `format` ("jpeg", "bmp"), as hex digits for a T-SQL binary literal.
std::string PictureHex(const char* format) {
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 12, 8);
  gdk_pixbuf_fill(pixbuf, 0x2060a0ff);
  gchar* bytes = nullptr;
  gsize size = 0;
  EXPECT_TRUE(gdk_pixbuf_save_to_buffer(pixbuf, &bytes, &size, format, nullptr, nullptr));
  g_object_unref(pixbuf);
  std::string hex;
  for (gsize i = 0; i < size; ++i) {
    hex += fmt::format("{:02X}", static_cast<unsigned char>(bytes[i]));
  }
  g_free(bytes);
  return hex;
}

TEST_F(PrintCommandTest, JpegAndBmpPhotosPrintAndAJpegIsEmbeddedAsStored) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  for (const auto& [item, format] : {std::pair{1, "jpeg"}, std::pair{2, "bmp"}}) {
    Change("UPDATE t_ICItem SET FSmallPhoto=0x" + PictureHex(format) +
           " WHERE FItemID=" + std::to_string(item));
  }
  UseLayout(1, "photos", Layout(R"({"field": "FItemIDName", "width": 40},
      {"field": "FItemID", "width": 20, "picture": {"table": "t_ICItem", "field": "FSmallPhoto",
                                                   "key_field": "FItemID", "key": "FItemID"}})"));
  const Outcome run = Tavprint("print 1 1001 --preview --out photos.pdf");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, Not(HasSubstr("picture of")));
  const std::string images = Shell("pdfimages -list photos.pdf").out;
  EXPECT_THAT(images, testing::ContainsRegex("image +12 +8 +rgb +3 +8 +jpeg"));
  EXPECT_THAT(images, testing::ContainsRegex("image +12 +8 +rgb +3 +8 +image"));
}

TEST_F(PrintCommandTest, PrintSettingsOverrideTheLayoutsPaper) {
  ASSERT_EQ(Tavprint("demo").status, 0);
  const Outcome other = Tavprint("print-settings show 1");
  EXPECT_THAT(other.out, HasSubstr("made by another client"));
  const Outcome set =
      Tavprint("print-settings set 1 --paper A5 --orientation landscape --copies 2");
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_THAT(Tavprint("print-settings show 1").out,
              HasSubstr("paper=A5\norientation=landscape\ncopies=2\n"));
  EXPECT_NE(Tavprint("print-settings set 1 --margins 1,2").status, 0);

  ASSERT_EQ(Tavprint("print 707 70702 --preview --out qc.pdf").status, 0);
  const std::string info = Shell("pdfinfo qc.pdf").out;
  EXPECT_THAT(info, testing::ContainsRegex("Pages: +1\n"));
  ASSERT_EQ(Tavprint("print 1 1002 --preview --out a5.pdf").status, 0);
  const std::string a5 = Shell("pdfinfo a5.pdf").out;
  EXPECT_THAT(a5, testing::ContainsRegex("Pages: +2\n"));  // two copies
  EXPECT_THAT(a5, HasSubstr("595.276 x 419.528 pts"));
}

}  // namespace
}  // namespace tavtest
