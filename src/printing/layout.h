// The layout of a printed bill: paper, bands, table columns and the elements drawn in the bands.
// Layout documents (layout_document.h) parse into it, and a bill's own template gives one
// (default_layout.h); the renderer draws nothing else. Lengths are millimetres, font sizes
// points.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace printing {

enum class Align { kLeft, kCenter, kRight };

// What a text too wide for its box does: shrinks to fit one line, wraps onto more lines (a table
// row grows with it; an element keeps its box and cuts what does not fit), or is cut.
enum class Overflow { kShrink, kWrap, kClip };

struct FontSpec {
  std::string family;  // empty: the layout's
  double size = 0;     // 0: the layout's
  bool bold = false;
};

// How a value becomes text. Quantities and prices take their decimals from the row's
// FQtyDecimal and FPriceDecimal unless `decimals` says otherwise.
struct ValueFormat {
  enum class Kind { kText, kNumber, kAmount, kQuantity, kPrice, kDate, kDateTime };
  Kind kind = Kind::kText;
  int decimals = -1;        // -1: as the kind says (amount 2, quantity/price from the row)
  bool thousands = false;   // digit groups of three
  bool blank_zero = false;  // a zero prints as nothing
  std::string pattern;      // dates: yyyy, MM, dd, HH, mm, ss
};

enum class Symbology { kCode128, kEan13, kQr, kDataMatrix };

// Where a picture's bytes come from: the item's small photo (clsGetData.GetItemPicture with the
// item id of `key_column`) or a binary column of any table (clsPrintSetupQuery.GetPictureData
// of `table`.`field` where `key_field` = the value of `key_column`).
struct PictureSource {
  enum class Kind { kItem, kColumn };
  Kind kind = Kind::kItem;
  std::string key_column;
  std::string table;
  std::string field;
  std::string key_field;
};

struct Element {
  enum class Kind { kText, kLine, kBox, kBarcode, kPicture };
  Kind kind = Kind::kText;
  std::string name;  // where it is in the document ("bill_head.elements[2]"), for messages
  double x = 0, y = 0, width = 0, height = 0;
  double x2 = 0, y2 = 0;     // the end of a line
  double line_width = 0.25;  // lines and boxes
  // Text: `label` then the value: static `text` (with {page}, {pages}, {copy}, {copies}), the
  // head column `field`, or the bill's print-count text.
  std::string label;
  std::string text;
  std::string field;  // also the value of a bar code, and the key of a picture's source
  bool print_count = false;
  ValueFormat format;
  FontSpec font;
  Align align = Align::kLeft;
  Overflow overflow = Overflow::kShrink;
  Symbology symbology = Symbology::kCode128;
  PictureSource picture;
};

struct Band {
  double height = 0;
  std::vector<Element> elements;
};

struct Column {
  std::string field;  // an entry column
  std::string caption;
  double width = 20;
  ValueFormat format;
  FontSpec font;
  Align align = Align::kLeft;
  Overflow overflow = Overflow::kShrink;
  bool sum = false;  // carried forward, brought forward and totalled
  std::optional<Symbology> barcode;
  std::optional<PictureSource> picture;
};

struct Table {
  std::vector<Column> columns;
  double head_height = 7;
  double row_height = 6;
  FontSpec head_font{"", 0, true};
  bool grid = true;
  bool totals = true;  // a totals row after the last line when a column is summed
  std::string carried_forward = "过次页";
  std::string brought_forward = "承前页";
  std::string total = "合计";
};

struct Paper {
  double width = 210;
  double height = 297;
  bool landscape = false;
  double margin_top = 10, margin_right = 10, margin_bottom = 10, margin_left = 10;

  double PageWidth() const { return landscape ? height : width; }
  double PageHeight() const { return landscape ? width : height; }
  double ContentWidth() const { return PageWidth() - margin_left - margin_right; }
  double ContentHeight() const { return PageHeight() - margin_top - margin_bottom; }
};

struct Layout {
  int version = 1;
  std::string name;
  Paper paper;
  FontSpec font{"WenQuanYi Micro Hei", 9, false};
  Band page_header;  // every page
  Band bill_head;    // the first page of each bill (every page with repeat_bill_head)
  bool repeat_bill_head = false;
  Table table;
  Band bill_footer;  // under the last line of each bill
  Band page_footer;  // every page

  bool HasSums() const {
    for (const Column& column : table.columns)
      if (column.sum) return true;
    return false;
  }
};

}  // namespace printing
