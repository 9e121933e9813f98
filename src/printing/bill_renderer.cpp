#include "bill_renderer.h"

#include <algorithm>

#include "barcode.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "print_error.h"
#include "value_format.h"

namespace printing {

namespace {

using oleaut::Variant;

constexpr double kCellPadding = 1.0;  // mm left and right of a cell's text
constexpr double kRowPadding = 0.8;   // mm above and below wrapped lines

FontSpec Resolve(const FontSpec& own, const FontSpec& base) {
  return FontSpec{own.family.empty() ? base.family : own.family,
                  own.size > 0 ? own.size : base.size, own.bold || base.bold};
}

std::string Substitute(const std::string& text, int page, int pages, int copy, int copies) {
  if (text.find('{') == std::string::npos) return text;
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::string_view rest = std::string_view(text).substr(i);
    auto take = [&](std::string_view name, int value) {
      if (!rest.starts_with(name)) return false;
      out += std::to_string(value);
      i += name.size();
      return true;
    };
    if (take("{page}", page) || take("{pages}", pages) || take("{copy}", copy) ||
        take("{copies}", copies)) {
      continue;
    }
    out += text[i++];
  }
  return out;
}

RowDecimals DecimalsOf(const std::vector<Variant>& line) {
  RowDecimals decimals;
  const Variant& qty = line[LayoutFields::kQtyDecimalSlot];
  const Variant& price = line[LayoutFields::kPriceDecimalSlot];
  if (qty.IsNumeric()) decimals.quantity = std::clamp(oleaut::ToLong(qty), 0, 10);
  if (price.IsNumeric()) decimals.price = std::clamp(oleaut::ToLong(price), 0, 10);
  return decimals;
}

const ValueFormat kPlainText{};

}  // namespace

struct BillRenderer::Impl {
  Impl(const Layout& layout_in, const LayoutFields& fields_in, PictureProvider& pictures_in,
       WarningSink warn_in)
      : layout(layout_in),
        fields(fields_in),
        pictures(pictures_in),
        warn(std::move(warn_in)),
        text(warn) {
    double x = 0;
    for (const Column& column : layout.table.columns) {
      column_x.push_back(x);
      x += column.width;
      column_slots.push_back(*fields.EntrySlot(column.field));
      column_fonts.push_back(Resolve(column.font, layout.font));
      key_slots.push_back(column.picture ? *fields.EntrySlot(column.picture->key_column) : 0);
      if (column.sum && first_sum == layout.table.columns.size()) first_sum = column_x.size() - 1;
    }
    column_x.push_back(x);
    head_font = Resolve(layout.table.head_font, layout.font);
  }

  struct PageContext {
    const BillContent& bill;
    const std::string& name;
    int page;
    int pages;
    int copy;
    int copies;
  };

  // --- values -----------------------------------------------------------------------------

  const Variant& HeadValue(const BillContent& bill, const std::string& field) const {
    static const Variant kEmpty;
    const auto slot = fields.HeadSlot(field);
    return slot ? bill.head[*slot] : kEmpty;
  }

  std::string ElementText(const Element& element, const PageContext& context) const {
    std::string value;
    if (!element.text.empty()) {
      value = Substitute(element.text, context.page, context.pages, context.copy, context.copies);
    } else if (!element.field.empty()) {
      value = FormatValue(HeadValue(context.bill, element.field), element.format, RowDecimals{});
    } else if (element.print_count) {
      value = context.bill.print_count;
    }
    return element.label + value;
  }

  cairo_surface_t* Picture(const PictureSource& source, const Variant& key,
                           const std::string& what) {
    if (key.IsNull() || key.IsEmpty()) return nullptr;
    const std::string key_text = oleaut::ToUtf8(oleaut::ToString(key));
    const std::string cache_key =
        (source.kind == PictureSource::Kind::kItem ? "item|" : "column|") + source.table + "|" +
        source.field + "|" + source.key_field + "|" + key_text;
    if (cairo_surface_t* known = cache.Find(cache_key)) return known;
    if (cache.KnownBad(cache_key)) return nullptr;
    const auto bytes = pictures.Bytes(source, key);
    if (!bytes || bytes->empty()) return nullptr;
    cairo_surface_t* picture = cache.Get(cache_key, *bytes);
    if (picture == nullptr) {
      warn(what + ": the picture of " + source.key_column + " " + key_text +
           " is no PNG, JPEG, BMP or GIF image, or too large to print; its place is left empty");
    }
    return picture;
  }

  // --- bands --------------------------------------------------------------------------------

  void DrawElement(cairo_t* cr, const Element& element, double top, const PageContext& context) {
    const Box box{element.x, top + element.y, element.width, element.height};
    switch (element.kind) {
      case Element::Kind::kText:
        // A wrapped text starts at the top of its box, as a paragraph does.
        text.Draw(cr, Resolve(element.font, layout.font), ElementText(element, context), box,
                  element.align, element.overflow, 0, element.overflow == Overflow::kWrap);
        return;
      case Element::Kind::kLine:
        cairo_set_line_width(cr, element.line_width);
        cairo_move_to(cr, element.x, top + element.y);
        cairo_line_to(cr, element.x2, top + element.y2);
        cairo_stroke(cr);
        return;
      case Element::Kind::kBox:
        cairo_set_line_width(cr, element.line_width);
        cairo_rectangle(cr, box.x, box.y, box.width, box.height);
        cairo_stroke(cr);
        return;
      case Element::Kind::kBarcode:
        DrawBarcode(cr, text, layout.font.family, element.symbology,
                    FormatValue(HeadValue(context.bill, element.field), kPlainText, {}), box,
                    context.name + ", " + element.name);
        return;
      case Element::Kind::kPicture:
        if (cairo_surface_t* picture =
                Picture(element.picture, HeadValue(context.bill, element.picture.key_column),
                        context.name + ", " + element.name)) {
          DrawPicture(cr, picture, box);
        }
        return;
    }
  }

  void DrawBand(cairo_t* cr, const Band& band, double top, const PageContext& context) {
    for (const Element& element : band.elements)
      DrawElement(cr, element, top, context);
  }

  // --- the table ----------------------------------------------------------------------------

  Box Cell(std::size_t column, double top, double height) const {
    return Box{column_x[column], top, column_x[column + 1] - column_x[column], height};
  }

  void DrawColumnHeads(cairo_t* cr, double top) {
    const Table& table = layout.table;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      text.Draw(cr, head_font, table.columns[i].caption, Cell(i, top, table.head_height),
                Align::kCenter, Overflow::kShrink, kCellPadding);
    }
  }

  void DrawLine(cairo_t* cr, const std::vector<Variant>& line, double top, double height,
                const PageContext& context, std::size_t index) {
    const Table& table = layout.table;
    const RowDecimals decimals = DecimalsOf(line);
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const Column& column = table.columns[i];
      const Variant& value = line[column_slots[i]];
      const Box cell = Cell(i, top, height);
      if (column.barcode) {
        const Box inner{cell.x + kCellPadding, cell.y + 0.5, cell.width - 2 * kCellPadding,
                        cell.height - 1};
        DrawBarcode(cr, text, layout.font.family, *column.barcode,
                    FormatValue(value, kPlainText, decimals), inner,
                    context.name + ", line " + std::to_string(index + 1) + ", " + column.field);
      } else if (column.picture) {
        if (cairo_surface_t* picture =
                Picture(*column.picture, line[key_slots[i]],
                        context.name + ", line " + std::to_string(index + 1))) {
          DrawPicture(cr, picture,
                      Box{cell.x + 0.5, cell.y + 0.5, cell.width - 1, cell.height - 1});
        }
      } else {
        text.Draw(cr, column_fonts[i], FormatValue(value, column.format, decimals), cell,
                  column.align, column.overflow, kCellPadding);
      }
    }
  }

  void DrawSumRow(cairo_t* cr, const std::string& caption, const std::vector<ExactSum>& sums,
                  double top) {
    const Table& table = layout.table;
    if (first_sum > 0) {
      const Box span{0, top, column_x[first_sum], table.row_height};
      text.Draw(cr, head_font, caption, span, Align::kCenter, Overflow::kShrink, kCellPadding);
    }
    for (std::size_t i = first_sum; i < table.columns.size(); ++i) {
      const Column& column = table.columns[i];
      if (!column.sum) continue;
      ValueFormat format = column.format;
      // A total of quantities of differing decimals shows every digit it has.
      if (format.kind == ValueFormat::Kind::kQuantity || format.kind == ValueFormat::Kind::kPrice)
        format.kind = ValueFormat::Kind::kNumber;
      text.Draw(cr, column_fonts[i], FormatValue(Variant(sums[i].Value()), format, {}),
                Cell(i, top, table.row_height), column.align, Overflow::kShrink, kCellPadding);
    }
  }

  // Grid lines of the table rows between `bounds` (row tops, then the bottom); rows whose flag
  // in `spans` is set merge the cells before the first summed column.
  void DrawGrid(cairo_t* cr, const std::vector<double>& bounds, const std::vector<bool>& spans) {
    if (!layout.table.grid || bounds.size() < 2) return;
    const double right = column_x.back();
    cairo_set_line_width(cr, 0.2);
    for (const double y : bounds) {
      cairo_move_to(cr, 0, y);
      cairo_line_to(cr, right, y);
    }
    for (std::size_t k = 0; k < column_x.size(); ++k) {
      const bool inner_of_span = k > 0 && k < first_sum;
      std::size_t row = 0;
      while (row + 1 < bounds.size()) {
        if (inner_of_span && spans[row]) {
          ++row;
          continue;
        }
        const double from = bounds[row];
        while (row + 1 < bounds.size() && !(inner_of_span && spans[row]))
          ++row;
        cairo_move_to(cr, column_x[k], from);
        cairo_line_to(cr, column_x[k], bounds[row]);
      }
    }
    cairo_stroke(cr);
  }

  // --- pages --------------------------------------------------------------------------------

  double TopOfTable(bool first_page) const {
    return layout.page_header.height +
           (first_page || layout.repeat_bill_head ? layout.bill_head.height : 0);
  }

  void DrawPage(cairo_t* cr, const PagePlan& plan, const std::vector<double>& heights,
                std::vector<ExactSum>& sums, const PageContext& context) {
    const Paper& paper = layout.paper;
    const Table& table = layout.table;
    const bool has_sums = first_sum < table.columns.size();
    cairo_save(cr);
    cairo_translate(cr, paper.margin_left, paper.margin_top);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    DrawBand(cr, layout.page_header, 0, context);
    const bool first_page = context.page == 1;
    if (first_page || layout.repeat_bill_head) {
      DrawBand(cr, layout.bill_head, layout.page_header.height, context);
    }
    double y = TopOfTable(first_page);
    if (!table.columns.empty()) {
      std::vector<double> bounds{y};
      std::vector<bool> spans{false};
      DrawColumnHeads(cr, y);
      y += table.head_height;
      auto add_row = [&](double height, bool span) {
        bounds.push_back(y);
        spans.push_back(span);
        y += height;
      };
      if (!first_page && has_sums) {
        DrawSumRow(cr, table.brought_forward, sums, y);
        add_row(table.row_height, true);
      }
      for (std::size_t i = plan.first; i < plan.end; ++i) {
        const auto& line = context.bill.lines[i];
        DrawLine(cr, line, y, heights[i], context, i);
        for (std::size_t c = 0; c < table.columns.size(); ++c)
          if (table.columns[c].sum) sums[c].Add(line[column_slots[c]]);
        add_row(heights[i], false);
      }
      if (has_sums && (!plan.last || table.totals)) {
        DrawSumRow(cr, plan.last ? table.total : table.carried_forward, sums, y);
        add_row(table.row_height, true);
      }
      bounds.push_back(y);
      DrawGrid(cr, bounds, spans);
    }
    if (plan.last) DrawBand(cr, layout.bill_footer, y, context);
    DrawBand(cr, layout.page_footer, paper.ContentHeight() - layout.page_footer.height, context);
    cairo_restore(cr);
  }

  const Layout& layout;
  const LayoutFields& fields;
  PictureProvider& pictures;
  WarningSink warn;
  TextEngine text;
  PictureCache cache;
  std::vector<double> column_x;
  std::vector<std::size_t> column_slots;
  std::vector<std::size_t> key_slots;
  std::vector<FontSpec> column_fonts;
  FontSpec head_font;
  std::size_t first_sum = layout.table.columns.size();
};

BillRenderer::BillRenderer(const Layout& layout, const LayoutFields& fields,
                           PictureProvider& pictures, WarningSink warn)
    : impl_(std::make_unique<Impl>(layout, fields, pictures, std::move(warn))) {}

BillRenderer::~BillRenderer() = default;

std::vector<PagePlan> BillRenderer::Plan(const BillContent& bill,
                                         std::vector<double>& line_heights) {
  const Layout& layout = impl_->layout;
  const Table& table = layout.table;
  const bool has_sums = impl_->first_sum < table.columns.size();
  const std::size_t n = table.columns.empty() ? 0 : bill.lines.size();

  line_heights.assign(n, table.row_height);
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const Column& column = table.columns[c];
    if (column.overflow != Overflow::kWrap || column.barcode || column.picture) continue;
    const double width = impl_->column_x[c + 1] - impl_->column_x[c] - 2 * kCellPadding;
    for (std::size_t i = 0; i < n; ++i) {
      const auto& line = bill.lines[i];
      const std::string shown =
          FormatValue(line[impl_->column_slots[c]], column.format, DecimalsOf(line));
      if (shown.empty()) continue;
      const double needed =
          impl_->text.WrappedHeight(impl_->column_fonts[c], shown, width) + 2 * kRowPadding;
      line_heights[i] = std::max(line_heights[i], needed);
    }
  }

  const double content = layout.paper.ContentHeight() - layout.page_footer.height;
  const double sum_row = has_sums ? table.row_height : 0;
  const double tail = (has_sums && table.totals ? table.row_height : 0) + layout.bill_footer.height;
  std::vector<PagePlan> pages;
  std::size_t i = 0;
  while (true) {
    const bool first_page = pages.empty();
    double room = content - impl_->TopOfTable(first_page) -
                  (table.columns.empty() ? 0 : table.head_height) - (first_page ? 0 : sum_row);
    PagePlan page{i, i, false};
    while (i < n) {
      const bool fits = line_heights[i] + sum_row <= room + 1e-6;
      // A line taller than a whole page still goes on one: it is cut, never split.
      if (!fits && page.end > page.first) break;
      room -= line_heights[i];
      page.end = ++i;
    }
    if (i == n && tail <= room + 1e-6) {
      page.last = true;
      pages.push_back(page);
      return pages;
    }
    pages.push_back(page);
    if (pages.size() > 1'000'000) Fail("a bill of more than a million pages");
  }
}

int BillRenderer::Render(const BillContent& bill, PageSink& sink, int copies,
                         const std::string& name) {
  std::vector<double> heights;
  const std::vector<PagePlan> pages = Plan(bill, heights);
  const Paper& paper = impl_->layout.paper;
  for (int copy = 1; copy <= copies; ++copy) {
    std::vector<ExactSum> sums(impl_->layout.table.columns.size());
    for (std::size_t p = 0; p < pages.size(); ++p) {
      cairo_t* cr = sink.BeginPage(paper.PageWidth(), paper.PageHeight());
      const Impl::PageContext context{
          bill, name, static_cast<int>(p + 1), static_cast<int>(pages.size()), copy, copies};
      impl_->DrawPage(cr, pages[p], heights, sums, context);
      sink.EndPage();
    }
  }
  return static_cast<int>(pages.size()) * copies;
}

}  // namespace printing
