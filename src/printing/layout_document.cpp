#include "layout_document.h"

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "paper_size.h"
#include "print_error.h"

namespace printing {

namespace {

using Json = nlohmann::json;

// Reads one JSON object of the document: every key it is asked for, and at the end an error for
// any key nobody asked for (a misspelt key is caught, not ignored).
class ObjectReader {
 public:
  ObjectReader(const Json& json, std::string path) : json_(json), path_(std::move(path)) {
    if (!json_.is_object()) Fail(path_ + ": expected an object, found " + Found(json_));
  }
  ~ObjectReader() = default;
  ObjectReader(const ObjectReader&) = delete;
  ObjectReader& operator=(const ObjectReader&) = delete;

  const std::string& Path() const { return path_; }
  bool Has(const std::string& key) const { return json_.contains(key); }

  const Json* Find(const std::string& key) {
    asked_.insert(key);
    const auto found = json_.find(key);
    return found == json_.end() ? nullptr : &*found;
  }

  double Number(const std::string& key, double fallback) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    if (!value->is_number()) Fail(At(key) + ": expected a number, found " + Found(*value));
    return value->get<double>();
  }
  double Length(const std::string& key, double fallback) {
    const double length = Number(key, fallback);
    if (length < 0) Fail(At(key) + ": expected a length of 0 mm or more");
    return length;
  }
  std::string Text(const std::string& key, const std::string& fallback = {}) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    if (!value->is_string()) Fail(At(key) + ": expected a text, found " + Found(*value));
    return value->get<std::string>();
  }
  bool Flag(const std::string& key, bool fallback) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    if (!value->is_boolean()) Fail(At(key) + ": expected true or false, found " + Found(*value));
    return value->get<bool>();
  }
  // One of `choices`, by its name.
  template <class T>
  T Choice(const std::string& key, const std::map<std::string, T>& choices, T fallback) {
    const Json* value = Find(key);
    if (value == nullptr) return fallback;
    if (value->is_string()) {
      const auto found = choices.find(value->get<std::string>());
      if (found != choices.end()) return found->second;
    }
    std::string names;
    for (const auto& [name, choice] : choices)
      names += (names.empty() ? "" : ", ") + name;
    Fail(At(key) + ": expected one of " + names + ", found " + Found(*value));
  }

  // Each element of the array `key`, if there is one, read by `read(element, path)`.
  template <class Read>
  void EachOf(const std::string& key, Read read) {
    const Json* items = Find(key);
    if (items == nullptr) return;
    if (!items->is_array()) Fail(At(key) + ": expected an array");
    for (std::size_t i = 0; i < items->size(); ++i)
      read((*items)[i], At(key) + "[" + std::to_string(i) + "]");
  }

  std::string At(const std::string& key) const { return path_ + "." + key; }

  void RejectUnknownKeys() const {
    for (const auto& [key, value] : json_.items()) {
      if (!asked_.contains(key)) {
        std::string known;
        for (const std::string& name : asked_)
          known += (known.empty() ? "" : ", ") + name;
        Fail(path_ + ": unknown key \"" + key + "\"; expected one of " + known);
      }
    }
  }

  static std::string Found(const Json& value) {
    const std::string text = value.dump();
    return std::string(value.type_name()) + " " +
           (text.size() > 40 ? text.substr(0, 40) + "..." : text);
  }

 private:
  const Json& json_;
  std::string path_;
  std::set<std::string> asked_;
};

const std::map<std::string, Align> kAligns{
    {"left", Align::kLeft}, {"center", Align::kCenter}, {"right", Align::kRight}};
const std::map<std::string, Overflow> kOverflows{
    {"shrink", Overflow::kShrink}, {"wrap", Overflow::kWrap}, {"clip", Overflow::kClip}};
const std::map<std::string, Symbology> kSymbologies{{"code128", Symbology::kCode128},
                                                    {"ean13", Symbology::kEan13},
                                                    {"qr", Symbology::kQr},
                                                    {"datamatrix", Symbology::kDataMatrix}};
const std::map<std::string, ValueFormat::Kind> kFormatKinds{
    {"text", ValueFormat::Kind::kText},        {"number", ValueFormat::Kind::kNumber},
    {"amount", ValueFormat::Kind::kAmount},    {"quantity", ValueFormat::Kind::kQuantity},
    {"price", ValueFormat::Kind::kPrice},      {"date", ValueFormat::Kind::kDate},
    {"datetime", ValueFormat::Kind::kDateTime}};

FontSpec ReadFont(ObjectReader& owner, FontSpec font, const std::string& key = "font") {
  const Json* json = owner.Find(key);
  if (json == nullptr) return font;
  ObjectReader reader(*json, owner.At(key));
  font.family = reader.Text("family", font.family);
  font.size = reader.Number("size", font.size);
  if (reader.Has("size") && font.size <= 0) Fail(reader.At("size") + ": expected more than 0 pt");
  font.bold = reader.Flag("bold", font.bold);
  reader.RejectUnknownKeys();
  return font;
}

ValueFormat ReadFormat(ObjectReader& owner) {
  ValueFormat format;
  const Json* json = owner.Find("format");
  if (json == nullptr) return format;
  if (json->is_string()) {
    const auto found = kFormatKinds.find(json->get<std::string>());
    if (found == kFormatKinds.end()) {
      Fail(owner.At("format") +
           ": expected text, number, amount, quantity, price, date or datetime, found \"" +
           json->get<std::string>() + "\"");
    }
    format.kind = found->second;
    return format;
  }
  ObjectReader reader(*json, owner.At("format"));
  format.kind = reader.Choice("kind", kFormatKinds, ValueFormat::Kind::kText);
  format.decimals = static_cast<int>(reader.Number("decimals", -1));
  if (reader.Has("decimals") && (format.decimals < 0 || format.decimals > 10))
    Fail(reader.At("decimals") + ": expected 0 to 10 decimals");
  format.thousands = reader.Flag("thousands", false);
  format.blank_zero = reader.Flag("blank_zero", false);
  format.pattern = reader.Text("pattern");
  reader.RejectUnknownKeys();
  return format;
}

// How a text element or an entry column shows its value.
template <class Shown>
void ReadTextLook(ObjectReader& reader, Shown& shown) {
  shown.format = ReadFormat(reader);
  shown.font = ReadFont(reader, {});
  shown.align = reader.Choice("align", kAligns, Align::kLeft);
  shown.overflow = reader.Choice("overflow", kOverflows, Overflow::kShrink);
}

// A section of the layout (`key`, all its keys known to `read`); as `T` starts when it is absent.
template <class T, class Read>
T ReadSection(ObjectReader& owner, const std::string& key, Read read) {
  T section;
  const Json* json = owner.Find(key);
  if (json == nullptr) return section;
  ObjectReader reader(*json, key);
  read(reader, section);
  reader.RejectUnknownKeys();
  return section;
}

PictureSource ReadPictureSource(const Json& json, const std::string& path) {
  ObjectReader reader(json, path);
  PictureSource source;
  if (reader.Has("item")) {
    source.kind = PictureSource::Kind::kItem;
    source.key_column = reader.Text("item");
  } else {
    source.kind = PictureSource::Kind::kColumn;
    source.table = reader.Text("table");
    source.field = reader.Text("field");
    source.key_field = reader.Text("key_field");
    source.key_column = reader.Text("key");
    if (source.table.empty() || source.field.empty() || source.key_field.empty() ||
        source.key_column.empty()) {
      Fail(path +
           ": expected \"item\" (the column of the item id), or \"table\", \"field\", "
           "\"key_field\" and \"key\" (the column whose value finds the row)");
    }
  }
  reader.RejectUnknownKeys();
  return source;
}

Element ReadElement(const Json& json, const std::string& path) {
  ObjectReader reader(json, path);
  Element element;
  element.name = path;
  element.kind =
      reader.Choice("type",
                    std::map<std::string, Element::Kind>{{"text", Element::Kind::kText},
                                                         {"line", Element::Kind::kLine},
                                                         {"box", Element::Kind::kBox},
                                                         {"barcode", Element::Kind::kBarcode},
                                                         {"picture", Element::Kind::kPicture}},
                    Element::Kind::kText);
  if (!reader.Has("type")) Fail(path + ": expected \"type\" (text, line, box, barcode, picture)");
  element.x = reader.Length("x", 0);
  element.y = reader.Length("y", 0);
  switch (element.kind) {
    case Element::Kind::kLine:
      element.x2 = reader.Length("x2", element.x);
      element.y2 = reader.Length("y2", element.y);
      element.line_width = reader.Length("line_width", element.line_width);
      break;
    case Element::Kind::kBox:
      element.width = reader.Length("width", 0);
      element.height = reader.Length("height", 0);
      element.line_width = reader.Length("line_width", element.line_width);
      break;
    case Element::Kind::kText:
      element.width = reader.Length("width", 0);
      element.height = reader.Length("height", 0);
      element.label = reader.Text("label");
      element.text = reader.Text("text");
      element.field = reader.Text("field");
      element.print_count = reader.Flag("print_count", false);
      ReadTextLook(reader, element);
      break;
    case Element::Kind::kBarcode:
      element.width = reader.Length("width", 0);
      element.height = reader.Length("height", 0);
      element.field = reader.Text("field");
      element.symbology = reader.Choice("symbology", kSymbologies, Symbology::kCode128);
      break;
    case Element::Kind::kPicture:
      element.width = reader.Length("width", 0);
      element.height = reader.Length("height", 0);
      if (const Json* source = reader.Find("source")) {
        element.picture = ReadPictureSource(*source, reader.At("source"));
      } else {
        Fail(path + ": expected \"source\" of the picture");
      }
      break;
  }
  reader.RejectUnknownKeys();
  return element;
}

Band ReadBand(ObjectReader& owner, const std::string& key) {
  return ReadSection<Band>(owner, key, [](ObjectReader& reader, Band& band) {
    band.height = reader.Length("height", 0);
    reader.EachOf("elements", [&](const Json& element, const std::string& path) {
      band.elements.push_back(ReadElement(element, path));
    });
  });
}

Column ReadColumn(const Json& json, const std::string& path) {
  ObjectReader reader(json, path);
  Column column;
  column.field = reader.Text("field");
  if (column.field.empty()) Fail(path + ": expected \"field\", the entry column it shows");
  column.caption = reader.Text("caption");
  column.width = reader.Length("width", column.width);
  ReadTextLook(reader, column);
  column.sum = reader.Flag("sum", false);
  if (reader.Has("barcode")) {
    column.barcode = reader.Choice("barcode", kSymbologies, Symbology::kCode128);
  }
  if (const Json* picture = reader.Find("picture")) {
    column.picture = ReadPictureSource(*picture, reader.At("picture"));
  }
  reader.RejectUnknownKeys();
  return column;
}

Table ReadTable(ObjectReader& owner) {
  return ReadSection<Table>(owner, "table", [](ObjectReader& reader, Table& table) {
    table.head_height = reader.Length("head_height", table.head_height);
    table.row_height = reader.Length("row_height", table.row_height);
    table.head_font = ReadFont(reader, table.head_font, "head_font");
    table.grid = reader.Flag("grid", table.grid);
    table.totals = reader.Flag("totals", table.totals);
    table.carried_forward = reader.Text("carried_forward", table.carried_forward);
    table.brought_forward = reader.Text("brought_forward", table.brought_forward);
    table.total = reader.Text("total", table.total);
    reader.EachOf("columns", [&](const Json& column, const std::string& path) {
      table.columns.push_back(ReadColumn(column, path));
    });
  });
}

Paper ReadPaper(ObjectReader& owner) {
  return ReadSection<Paper>(owner, "paper", [](ObjectReader& reader, Paper& paper) {
    if (const Json* size = reader.Find("size")) {
      const auto found =
          size->is_string() ? PaperSizeByName(size->get<std::string>()) : std::nullopt;
      if (!found) {
        Fail("paper.size: expected " + KnownPaperSizes() + ", found " + ObjectReader::Found(*size));
      }
      paper.width = found->width;
      paper.height = found->height;
    }
    paper.width = reader.Length("width", paper.width);
    paper.height = reader.Length("height", paper.height);
    paper.landscape =
        reader.Choice("orientation",
                      std::map<std::string, bool>{{"portrait", false}, {"landscape", true}}, false);
    if (const Json* margins = reader.Find("margins")) {
      ObjectReader margin(*margins, "paper.margins");
      paper.margin_top = margin.Length("top", paper.margin_top);
      paper.margin_right = margin.Length("right", paper.margin_right);
      paper.margin_bottom = margin.Length("bottom", paper.margin_bottom);
      paper.margin_left = margin.Length("left", paper.margin_left);
      margin.RejectUnknownKeys();
    }
  });
}

// Line and column (from 1) of a byte offset of `text`, columns counted in characters.
std::pair<std::size_t, std::size_t> LineAndColumn(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return {line, column};
}

// nlohmann's message without its own prefix and position: "syntax error while parsing ...;
// expected ...".
std::string ParseErrorDetail(const std::string& what) {
  const std::size_t column = what.find("column ");
  if (column != std::string::npos) {
    const std::size_t colon = what.find(": ", column);
    if (colon != std::string::npos) return what.substr(colon + 2);
  }
  const std::size_t bracket = what.find("] ");
  return bracket == std::string::npos ? what : what.substr(bracket + 2);
}

}  // namespace

bool IsLayoutDocument(std::string_view body) {
  return body.starts_with(kLayoutSignature);
}

Layout ParseLayoutDocument(std::string_view body) {
  if (!IsLayoutDocument(body)) Fail("not a layout document: it does not start with TAV-LAYOUT");
  const std::size_t line_end = body.find('\n');
  std::string_view signature = body.substr(0, line_end);
  if (signature.ends_with('\r')) signature.remove_suffix(1);
  const std::string version(signature.substr(kLayoutSignature.size()));
  if (version != std::to_string(kLayoutVersion)) {
    Fail("layout document version \"" + version + "\" is not one this client reads (it reads " +
         std::to_string(kLayoutVersion) + ")");
  }
  const std::size_t json_start = line_end == std::string_view::npos ? body.size() : line_end + 1;
  Json json;
  try {
    json = Json::parse(body.substr(json_start));
  } catch (const Json::parse_error& error) {
    const std::size_t offset = json_start + (error.byte > 0 ? error.byte - 1 : 0);
    const auto [line, column] = LineAndColumn(body, offset);
    Fail("layout document, line " + std::to_string(line) + ", column " + std::to_string(column) +
         ": " + ParseErrorDetail(error.what()));
  }

  ObjectReader reader(json, "layout");
  Layout layout;
  layout.name = reader.Text("name");
  layout.paper = ReadPaper(reader);
  layout.font = ReadFont(reader, layout.font);
  layout.page_header = ReadBand(reader, "page_header");
  layout.bill_head = ReadBand(reader, "bill_head");
  layout.repeat_bill_head = reader.Flag("repeat_bill_head", false);
  layout.table = ReadTable(reader);
  layout.bill_footer = ReadBand(reader, "bill_footer");
  layout.page_footer = ReadBand(reader, "page_footer");
  reader.RejectUnknownKeys();
  ValidateLayout(layout);
  return layout;
}

}  // namespace printing
