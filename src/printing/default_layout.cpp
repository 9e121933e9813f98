#include "default_layout.h"

#include <algorithm>
#include <cctype>

#include "bill_content.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace printing {

namespace {

using oleaut::Variant;
using Dictionary = com::Ptr<vdl::Dictionary>;

constexpr double kMillimetresPerTwip = 25.4 / 1440.0;
constexpr double kTitleHeight = 12;
constexpr double kFooterHeight = 7;

// E_CtlType values whose columns are dates, quantities, amounts and prices.
enum CtlType {
  kDate = 1,
  kQty = 3,
  kAmount = 11,
  kPrice = 12,
  kTaxRate = 13,
  kNullDate = 17,
  kExchangeRate = 20,
  kTaxPrice = 21,
  kUserNumber = 31,
  kUserDate = 32,
  kUserInt = 33,
  kStdAmount = 40
};

Variant ItemOf(const Dictionary& row, std::u16string_view key) {
  return row->Exists(key) ? row->Item(key) : Variant();
}

std::string TextOf(const Dictionary& row, std::u16string_view key) {
  const Variant value = ItemOf(row, key);
  return value.IsNull() || value.IsEmpty() ? std::string()
                                           : oleaut::ToUtf8(oleaut::ToString(value));
}

double NumberOf(const Dictionary& row, std::u16string_view key, double fallback = 0) {
  const Variant value = ItemOf(row, key);
  return value.IsNumeric() ? oleaut::ToDouble(value) : fallback;
}

bool FlagOf(const Dictionary& row, std::u16string_view key) {
  const Variant value = ItemOf(row, key);
  return !value.IsNull() && !value.IsEmpty() && oleaut::ToBoolean(value);
}

// The column a control prints: its looked-up name when the rows carry one, else its own.
std::string PrintedColumn(const std::string& field, const std::vector<std::string>& columns) {
  for (const std::string& column : columns)
    if (SameName(column, field + "Name")) return column;
  return field;
}

ValueFormat FormatOf(int ctl_type) {
  ValueFormat format;
  switch (ctl_type) {
    case kDate:
    case kNullDate:
    case kUserDate:
      format.kind = ValueFormat::Kind::kDate;
      break;
    case kQty:
      format.kind = ValueFormat::Kind::kQuantity;
      break;
    case kAmount:
    case kStdAmount:
      format.kind = ValueFormat::Kind::kAmount;
      format.thousands = true;
      break;
    case kPrice:
    case kTaxPrice:
      format.kind = ValueFormat::Kind::kPrice;
      break;
    case kTaxRate:
    case kExchangeRate:
    case kUserNumber:
    case kUserInt:
      format.kind = ValueFormat::Kind::kNumber;
      break;
    default:
      break;
  }
  return format;
}

bool IsNumeric(const ValueFormat& format) {
  return format.kind != ValueFormat::Kind::kText && format.kind != ValueFormat::Kind::kDate &&
         format.kind != ValueFormat::Kind::kDateTime;
}

std::vector<Dictionary> Rows(const Variant& fields) {
  std::vector<Dictionary> rows;
  if (!fields.IsObject() || !fields.AsObject()) return rows;
  const auto dictionary = fields.AsObjectOf<vdl::Dictionary>();
  for (std::size_t i = 0; i < static_cast<std::size_t>(dictionary->Count()); ++i) {
    const Variant row = dictionary->ItemAt(i);
    if (row.IsObject() && row.AsObject()) rows.push_back(row.AsObjectOf<vdl::Dictionary>());
  }
  return rows;
}

}  // namespace

OwnTexts OwnTextsFor(const std::string& language) {
  std::string upper = language;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (upper == "EN") {
    return {"Page {page} of {pages}", "Carried forward", "Brought forward", "Total", ": "};
  }
  if (upper == "CHT") return {"第{page}頁 共{pages}頁", "過次頁", "承前頁", "合計", "："};
  return {"第{page}页 共{pages}页", "过次页", "承前页", "合计", "："};
}

Layout DefaultLayout(const BillTypeMetadata& bill_type,
                     const std::vector<std::string>& head_columns,
                     const std::vector<std::string>& entry_columns, const std::string& language,
                     const Paper& paper) {
  const OwnTexts texts = OwnTextsFor(language);
  Layout layout;
  layout.name = "the bill template of bill type " + std::to_string(bill_type.bill_type);
  layout.paper = paper;
  const double width = paper.ContentWidth();

  // The title and the print count over the head.
  Element title;
  title.name = "page_header.title";
  title.width = width;
  title.height = 9;
  title.text = TextOf(bill_type.info, u"FName");
  title.font = FontSpec{"", 16, true};
  title.align = Align::kCenter;
  Element count;
  count.name = "page_header.print_count";
  count.x = width * 0.7;
  count.y = 9;
  count.width = width * 0.3;
  count.height = 3;
  count.print_count = true;
  count.align = Align::kRight;
  count.font = FontSpec{"", 7, false};
  layout.page_header = Band{kTitleHeight, {title, count}};

  // Head controls at their form positions, the form scaled to the width between the margins.
  const double form_width = NumberOf(bill_type.info, u"FFormWidth", 9600);
  const double scale = width / (std::max(form_width, 1440.0) * kMillimetresPerTwip);
  double head_bottom = 0;
  std::vector<Element> head;
  for (const Dictionary& control : Rows(bill_type.package->Item(2))) {
    if (!FlagOf(control, u"FPrint")) continue;
    Element element;
    element.field = PrintedColumn(TextOf(control, u"FFieldName"), head_columns);
    element.name = "bill_head." + element.field;
    element.label = TextOf(control, u"FName") + texts.label_end;
    element.x =
        std::clamp(NumberOf(control, u"FLeft") * kMillimetresPerTwip * scale, 0.0, width - 5);
    element.y = std::max(NumberOf(control, u"FTop") * kMillimetresPerTwip * scale, 0.0);
    element.width = std::clamp(NumberOf(control, u"FWidth", 2000) * kMillimetresPerTwip * scale,
                               5.0, width - element.x);
    element.height =
        std::max(NumberOf(control, u"FHeight", 300) * kMillimetresPerTwip * scale, 4.0);
    element.font.family = TextOf(control, u"FFontName");
    element.font.size = NumberOf(control, u"FFontSize", 0);
    element.format = FormatOf(static_cast<int>(NumberOf(control, u"FCtlType")));
    head_bottom = std::max(head_bottom, element.y + element.height);
    head.push_back(std::move(element));
  }
  // The head band starts where its first control does.
  double head_top = head_bottom;
  for (const Element& element : head)
    head_top = std::min(head_top, element.y);
  for (Element& element : head)
    element.y -= head_top;
  layout.bill_head = Band{head.empty() ? 0 : head_bottom - head_top + 2, std::move(head)};

  // The entry table in FCtlOrder, narrowed to the width between the margins when it is wider.
  std::vector<Dictionary> entries;
  for (const Dictionary& control : Rows(bill_type.package->Item(3))) {
    if (FlagOf(control, u"FPrint") && NumberOf(control, u"FCtlOrder") > 0)
      entries.push_back(control);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const Dictionary& a, const Dictionary& b) {
    return NumberOf(a, u"FCtlOrder") < NumberOf(b, u"FCtlOrder");
  });
  double table_width = 0;
  for (const Dictionary& control : entries) {
    Column column;
    column.field = PrintedColumn(TextOf(control, u"FFieldName"), entry_columns);
    column.caption = TextOf(control, u"FHeadCaption");
    column.width = std::max(NumberOf(control, u"FWidth", 1000), 200.0) * kMillimetresPerTwip;
    column.format = FormatOf(static_cast<int>(NumberOf(control, u"FCtlType")));
    column.align = IsNumeric(column.format) ? Align::kRight : Align::kLeft;
    column.overflow = IsNumeric(column.format) ? Overflow::kShrink : Overflow::kWrap;
    column.sum = FlagOf(control, u"FNeedCount") && IsNumeric(column.format);
    table_width += column.width;
    layout.table.columns.push_back(std::move(column));
  }
  const double narrow = table_width > width ? width / table_width : 1.0;
  for (Column& column : layout.table.columns)
    column.width *= narrow;
  layout.table.carried_forward = texts.carried_forward;
  layout.table.brought_forward = texts.brought_forward;
  layout.table.total = texts.total;

  Element page_of;
  page_of.name = "page_footer.page";
  page_of.y = 1;
  page_of.width = width;
  page_of.height = 5;
  page_of.text = texts.page_of;
  page_of.align = Align::kCenter;
  layout.page_footer = Band{kFooterHeight, {page_of}};
  return layout;
}

}  // namespace printing
