// ValidateLayout: what a layout must hold besides well-formed JSON.
#include <fmt/format.h>

#include "layout_document.h"
#include "print_error.h"

namespace printing {

namespace {

constexpr double kSlack = 0.01;  // mm: rounding in a document's numbers is no error

void CheckBoxInBand(const Element& element, double right, double bottom, double band_width,
                    const Band& band, const char* band_name) {
  if (right > band_width + kSlack) {
    Fail(fmt::format("{}: reaches {:.1f} mm across, beyond the {:.1f} mm between the margins",
                     element.name, right, band_width));
  }
  if (bottom > band.height + kSlack) {
    Fail(fmt::format("{}: reaches {:.1f} mm down, below the {:.1f} mm high {} band", element.name,
                     bottom, band.height, band_name));
  }
}

void CheckElement(const Element& element, const Band& band, const char* band_name,
                  double band_width) {
  switch (element.kind) {
    case Element::Kind::kLine:
      CheckBoxInBand(element, std::max(element.x, element.x2), std::max(element.y, element.y2),
                     band_width, band, band_name);
      return;
    case Element::Kind::kText: {
      const int sources = (element.text.empty() ? 0 : 1) + (element.field.empty() ? 0 : 1) +
                          (element.print_count ? 1 : 0);
      if (sources > 1) {
        Fail(element.name + ": a text shows one of \"text\", \"field\" and \"print_count\"");
      }
      if (sources == 0 && element.label.empty()) {
        Fail(element.name + ": a text needs \"text\", \"field\", \"print_count\" or \"label\"");
      }
      break;
    }
    case Element::Kind::kBarcode:
      if (element.field.empty()) Fail(element.name + ": a bar code needs the \"field\" it encodes");
      break;
    case Element::Kind::kBox:
    case Element::Kind::kPicture:
      break;
  }
  if (element.width <= 0 || element.height <= 0) {
    Fail(element.name + ": needs a \"width\" and a \"height\" greater than 0 mm");
  }
  CheckBoxInBand(element, element.x + element.width, element.y + element.height, band_width, band,
                 band_name);
}

void CheckBand(const Band& band, const char* band_name, double band_width) {
  for (const Element& element : band.elements)
    CheckElement(element, band, band_name, band_width);
}

bool IsNumeric(const ValueFormat& format) {
  using Kind = ValueFormat::Kind;
  return format.kind == Kind::kNumber || format.kind == Kind::kAmount ||
         format.kind == Kind::kQuantity || format.kind == Kind::kPrice;
}

}  // namespace

void ValidateLayout(const Layout& layout) {
  const Paper& paper = layout.paper;
  if (paper.width <= 0 || paper.height <= 0) Fail("paper: width and height must be more than 0");
  const double width = paper.ContentWidth();
  const double height = paper.ContentHeight();
  if (width <= 10 || height <= 10) {
    Fail(
        fmt::format("paper.margins: leave {:.1f} x {:.1f} mm of a {:.1f} x {:.1f} mm page to "
                    "print on",
                    width, height, paper.PageWidth(), paper.PageHeight()));
  }
  if (layout.font.size <= 0) Fail("font.size: expected more than 0 pt");
  CheckBand(layout.page_header, "page_header", width);
  CheckBand(layout.bill_head, "bill_head", width);
  CheckBand(layout.bill_footer, "bill_footer", width);
  CheckBand(layout.page_footer, "page_footer", width);

  const Table& table = layout.table;
  double columns_width = 0;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const Column& column = table.columns[i];
    const std::string name = "table.columns[" + std::to_string(i) + "] (" + column.field + ")";
    if (column.width <= 0) Fail(name + ": needs a width greater than 0 mm");
    if (column.sum && !IsNumeric(column.format)) {
      Fail(name + ": only a number, amount, quantity or price column can be summed");
    }
    if (column.barcode && column.picture) Fail(name + ": shows a bar code or a picture, not both");
    columns_width += column.width;
  }
  if (columns_width > width + kSlack) {
    Fail(
        fmt::format("table.columns: are {:.1f} mm wide together, more than the {:.1f} mm between "
                    "the margins",
                    columns_width, width));
  }
  if (!table.columns.empty() && (table.row_height <= 0 || table.head_height < 0)) {
    Fail("table: row_height must be more than 0 mm");
  }
  // A page must hold its fixed bands, the column heads, a brought-forward row, one line and a
  // carried-forward row; the bill footer and totals at least on a page of their own.
  const double rows = table.columns.empty() ? 0 : table.head_height + 3 * table.row_height;
  const double fixed = layout.page_header.height + layout.page_footer.height;
  const double first_page = fixed + layout.bill_head.height + rows;
  if (first_page > height + kSlack) {
    Fail(
        fmt::format("page_header, bill_head, page_footer and the table's heads and rows need "
                    "{:.1f} mm, more than the {:.1f} mm between the margins",
                    first_page, height));
  }
  const double footer_page = fixed + (layout.repeat_bill_head ? layout.bill_head.height : 0) +
                             table.head_height + 2 * table.row_height + layout.bill_footer.height;
  if (footer_page > height + kSlack) {
    Fail(
        fmt::format("bill_footer: with the page bands and the table's heads it needs {:.1f} mm, "
                    "more than the {:.1f} mm between the margins",
                    footer_page, height));
  }
}

}  // namespace printing
