#include "platform/ado/jet/writer.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <system_error>

#include "platform/ado/jet/page_bytes.h"
#include "platform/ado/jet/row_encoder.h"
#include "platform/io/regular_file.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

using oleaut::ToUtf8;
using Page = std::vector<std::uint8_t>;

constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kMaxColumns = 255;
constexpr std::uint16_t kMaxRowsPerPage = 255;  // a row pointer keeps the row in one byte
constexpr std::uint16_t kGeneralSortOrder = 0x0409;
constexpr std::uint16_t kWesternCodePage = 1252;
constexpr std::uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

// The catalog's containers, as Access numbers them.
constexpr std::uint32_t kRootId = 0x0F000000;
constexpr std::uint32_t kTablesId = 0x0F000001;
constexpr std::uint32_t kDatabasesId = 0x0F000002;
constexpr std::uint32_t kRelationshipsId = 0x0F000003;
constexpr std::uint32_t kDatabaseObjectId = 0x0F000004;
constexpr std::uint32_t kCatalogPage = 2;
constexpr std::uint32_t kSystemObjectFlags = 0x80000002;

// RC4, which scrambles the header fields of the database page.
void Rc4(std::uint32_t key, std::span<std::uint8_t> data) {
  const std::array<std::uint8_t, 4> k{
      static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
      static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 24)};
  std::array<std::uint8_t, 256> s{};
  for (std::size_t i = 0; i < s.size(); ++i)
    s[i] = static_cast<std::uint8_t>(i);
  std::uint8_t j = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    j = static_cast<std::uint8_t>(j + s[i] + k[i % k.size()]);
    std::swap(s[i], s[j]);
  }
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  for (std::uint8_t& byte : data) {
    a = static_cast<std::uint8_t>(a + 1);
    b = static_cast<std::uint8_t>(b + s[a]);
    std::swap(s[a], s[b]);
    byte ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
  }
}

class PageFile {
 public:
  explicit PageFile(JetVersion version) : version_(version), layout_(LayoutOf(version)) {}

  std::uint32_t Allocate() {
    pages_.emplace_back(layout_.page_size, 0);
    return static_cast<std::uint32_t>(pages_.size() - 1);
  }
  std::span<std::uint8_t> operator[](std::uint32_t page) { return pages_[page]; }
  std::uint32_t Count() const { return static_cast<std::uint32_t>(pages_.size()); }
  JetVersion Version() const { return version_; }
  const JetLayout& Layout() const { return layout_; }
  const std::vector<Page>& Pages() const { return pages_; }

 private:
  JetVersion version_;
  const JetLayout& layout_;
  std::vector<Page> pages_;
};

// Rows on data pages of one owner: a table (its definition page), or long values ("LVAL").
class RowPages {
 public:
  RowPages(PageFile& file, std::uint32_t owner) : file_(file), owner_(owner) {}

  // Stores the row and returns where it went (page << 8 | row).
  std::uint32_t Add(std::span<const std::uint8_t> row) {
    const JetLayout& layout = file_.Layout();
    if (pages_.empty() || rows_ == kMaxRowsPerPage ||
        row.size() + 2 > free_end_ - (layout.data_header_size + 2U * rows_)) {
      StartPage();
    }
    const std::uint32_t page_number = pages_.back();
    auto page = file_[page_number];
    free_end_ -= static_cast<std::uint32_t>(row.size());
    std::copy(row.begin(), row.end(), page.begin() + free_end_);
    PutU16(page, layout.data_header_size + 2U * rows_, free_end_);
    ++rows_;
    PutU16(page, layout.data_row_count, rows_);
    PutU16(page, 2, free_end_ - (layout.data_header_size + 2U * rows_));
    return page_number << 8 | (rows_ - 1U);
  }

  const std::vector<std::uint32_t>& Pages() const { return pages_; }

 private:
  void StartPage() {
    const std::uint32_t number = file_.Allocate();
    auto page = file_[number];
    page[0] = 0x01;
    page[1] = 0x01;
    PutU32(page, 4, owner_);
    pages_.push_back(number);
    rows_ = 0;
    free_end_ = file_.Layout().page_size;
  }

  PageFile& file_;
  std::uint32_t owner_;
  std::vector<std::uint32_t> pages_;
  std::uint16_t rows_ = 0;
  std::uint32_t free_end_ = 0;
};

// Memo values that leave their row: one row on a long-value page when they fit one, otherwise a
// chain of page-sized pieces, each starting with the pointer to the next.
class LongValuePages final : public LongValueStore {
 public:
  explicit LongValuePages(PageFile& file) : file_(file), rows_(file, kLongValueOwner) {}

  Placement Store(std::span<const std::uint8_t> bytes) override {
    const JetLayout& layout = file_.Layout();
    const std::size_t room = layout.page_size - layout.data_header_size - 2;
    if (bytes.size() <= room) return {kLongValueSinglePage, rows_.Add(bytes)};
    const std::size_t piece = room - 4;
    const std::size_t pieces = (bytes.size() + piece - 1) / piece;
    std::uint32_t next = 0;
    for (std::size_t i = pieces; i-- > 0;) {
      const auto part = bytes.subspan(i * piece, std::min(piece, bytes.size() - i * piece));
      std::vector<std::uint8_t> row;
      row.reserve(part.size() + 4);
      AppendU32(row, next);
      row.insert(row.end(), part.begin(), part.end());
      next = rows_.Add(row);
    }
    return {0, next};
  }

 private:
  PageFile& file_;
  RowPages rows_;
};

// A usage map row: which pages hold a table's rows. Inline (type 0) when they fall in the span
// of its bitmap, otherwise (type 1) a list of bitmap pages.
std::vector<std::uint8_t> UsageMap(PageFile& file, const std::vector<std::uint32_t>& pages) {
  const JetLayout& layout = file.Layout();
  std::vector<std::uint8_t> row;
  const std::uint32_t start = pages.empty() ? 0 : pages.front();
  const std::uint32_t span = layout.usage_bitmap_bytes * 8;
  if (pages.empty() || pages.back() - start < span) {
    row.push_back(0x00);
    AppendU32(row, start);
    row.resize(5 + layout.usage_bitmap_bytes, 0);
    for (const std::uint32_t page : pages)
      row[5 + (page - start) / 8] |= static_cast<std::uint8_t>(1 << ((page - start) % 8));
    return row;
  }
  const std::uint32_t per_map_page = (layout.page_size - 4) * 8;
  const std::uint32_t map_pages = pages.back() / per_map_page + 1;
  row.push_back(0x01);
  for (std::uint32_t m = 0; m < map_pages; ++m) {
    const std::uint32_t number = file.Allocate();
    auto map = file[number];
    map[0] = 0x05;
    map[1] = 0x01;
    for (const std::uint32_t page : pages) {
      if (page / per_map_page != m) continue;
      const std::uint32_t bit = page % per_map_page;
      map[4 + bit / 8] |= static_cast<std::uint8_t>(1 << (bit % 8));
    }
    AppendU32(row, number);
  }
  return row;
}

struct TableImage {
  std::u16string name;
  bool system = false;
  TableLayout layout;
  std::uint32_t definition_page = 0;
  std::uint32_t row_count = 0;
  std::vector<std::uint32_t> data_pages;
};

std::vector<std::uint8_t> NameBytes(JetVersion version, std::u16string_view name,
                                    const CodePageText& code_page) {
  if (version == JetVersion::kJet4) return EncodeJet4Text(name, /*compress=*/false);
  auto bytes = code_page.Encode(name);
  if (!bytes) {
    RaiseWriterError(
        fmt::format("The name '{}' has characters that a Jet 3 database (code page "
                    "{}) cannot hold",
                    ToUtf8(name), code_page.CodePage()));
  }
  return std::move(*bytes);
}

void WriteTableDefinition(PageFile& file, const TableImage& table, std::uint32_t usage_map,
                          std::uint32_t free_map, const CodePageText& code_page) {
  const bool jet4 = file.Version() == JetVersion::kJet4;
  const JetLayout& layout = file.Layout();
  const auto& columns = table.layout.columns;
  std::vector<std::uint8_t> body;
  body.reserve(layout.page_size);
  AppendU32(body, 0);  // definition length, filled in below
  if (jet4) AppendU32(body, 0);
  AppendU32(body, table.row_count);
  AppendU32(body, 0);  // next autonumber
  if (jet4) body.resize(body.size() + 16, 0);
  body.push_back(table.system ? 0x53 : 0x4E);
  AppendU16(body, static_cast<std::uint32_t>(columns.size()));  // most columns a row has had
  AppendU16(body, table.layout.var_count);
  AppendU16(body, static_cast<std::uint32_t>(columns.size()));
  AppendU32(body, 0);  // logical indexes
  AppendU32(body, 0);  // index entries
  AppendU32(body, usage_map);
  AppendU32(body, free_map);
  for (const StoredColumn& column : columns) {
    const bool text = column.code == kJetText || column.code == kJetMemo;
    body.push_back(column.code);
    if (jet4) AppendU32(body, 0);
    AppendU16(body, column.number);
    AppendU16(body, column.fixed ? 0 : column.var_index);
    AppendU16(body, column.number);
    if (jet4) {
      AppendU16(body, text ? kGeneralSortOrder : 0);
      AppendU16(body, 0);
    } else {
      AppendU16(body, text ? kGeneralSortOrder : 0);
      AppendU16(body, text ? code_page.CodePage() : 0);
      AppendU16(body, 0);
    }
    body.push_back(static_cast<std::uint8_t>((column.fixed ? 0x01 : 0x00) | 0x02));
    if (jet4) {
      body.push_back(text ? 0x01 : 0x00);  // Unicode compression allowed
      AppendU32(body, 0);
    }
    AppendU16(body, column.fixed_offset);
    AppendU16(body, column.length);
  }
  for (const StoredColumn& column : columns) {
    const std::vector<std::uint8_t> name = NameBytes(file.Version(), column.name, code_page);
    if (jet4) {
      AppendU16(body, static_cast<std::uint32_t>(name.size()));
    } else {
      body.push_back(static_cast<std::uint8_t>(name.size()));
    }
    body.insert(body.end(), name.begin(), name.end());
  }
  AppendU16(body, 0xFFFF);  // no long-value page maps of columns
  const std::size_t used = 8 + body.size();
  if (used > layout.page_size) {
    RaiseWriterError(
        fmt::format("The definition of table '{}' takes {} bytes; a page holds {} "
                    "(use fewer or shorter column names)",
                    ToUtf8(table.name), used, layout.page_size));
  }
  PutU32(body, 0, static_cast<std::uint32_t>(body.size()));
  auto page = file[table.definition_page];
  page[0] = 0x02;
  page[1] = 0x01;
  if (jet4) {
    PutU16(page, 2, static_cast<std::uint32_t>(layout.page_size - used - 8));
  } else {
    page[2] = 'V';
    page[3] = 'C';
  }
  std::copy(body.begin(), body.end(), page.begin() + 8);
}

void WriteDatabasePage(PageFile& file, double created) {
  const bool jet4 = file.Version() == JetVersion::kJet4;
  const JetLayout& layout = file.Layout();
  auto page = file[0];
  page[1] = 0x01;
  std::memcpy(page.data() + 4, kJetMagic, sizeof kJetMagic);
  PutU32(page, kVersionOffset, static_cast<std::uint32_t>(file.Version()));
  PutU16(page, 0x3C, kWesternCodePage);
  PutU32(page, 0x3E, 0);  // no encryption key
  if (jet4) {
    // Jet 4 masks the password field with the creation date; an empty password is the mask.
    const auto mask = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (std::uint32_t i = 0; i < 40; ++i)
      page[0x42 + i] = static_cast<std::uint8_t>(mask >> (8 * (i % 4)));
    PutU16(page, 0x6E, kGeneralSortOrder);
    PutF64(page, 0x72, created);
  } else {
    PutU16(page, 0x3A, kGeneralSortOrder);
  }
  Rc4(kHeaderRc4Key, page.subspan(kHeaderCryptStart, layout.header_crypt_length));
}

bool IsValidName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxNameLength || name.front() == u' ') return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c < 0x20 || c == u'.' || c == u'!' || c == u'`' || c == u'[' || c == u']';
  });
}

void CheckNames(const JetDatabaseSpec& spec) {
  for (std::size_t t = 0; t < spec.tables.size(); ++t) {
    const JetTableSpec& table = spec.tables[t];
    if (!IsValidName(table.name)) {
      RaiseWriterError(
          fmt::format("'{}' is not a valid table name (1 to 64 characters, none of "
                      ". ! ` [ ], no leading blank)",
                      ToUtf8(table.name)));
    }
    if (oleaut::UCase(table.name).starts_with(u"MSYS")) {
      RaiseWriterError(
          fmt::format("'{}': names starting with MSys belong to Jet", ToUtf8(table.name)));
    }
    for (std::size_t other = 0; other < t; ++other) {
      if (oleaut::EqualsNoCase(spec.tables[other].name, table.name))
        RaiseWriterError(fmt::format("Two tables are named '{}'", ToUtf8(table.name)));
    }
    if (table.columns.empty() || table.columns.size() > kMaxColumns) {
      RaiseWriterError(fmt::format("Table '{}' has {} columns; a table has 1 to {}",
                                   ToUtf8(table.name), table.columns.size(), kMaxColumns));
    }
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      const JetColumnSpec& column = table.columns[c];
      if (!IsValidName(column.name)) {
        RaiseWriterError(fmt::format("Table '{}': '{}' is not a valid column name",
                                     ToUtf8(table.name), ToUtf8(column.name)));
      }
      for (std::size_t other = 0; other < c; ++other) {
        if (oleaut::EqualsNoCase(table.columns[other].name, column.name)) {
          RaiseWriterError(fmt::format("Table '{}' has two columns named '{}'", ToUtf8(table.name),
                                       ToUtf8(column.name)));
        }
      }
      if (column.type == JetColumnType::kText &&
          (column.text_length < 1 || column.text_length > 255)) {
        RaiseWriterError(
            fmt::format("Table '{}', column '{}': a Text column holds 1 to 255 "
                        "characters, not {}",
                        ToUtf8(table.name), ToUtf8(column.name), column.text_length));
      }
    }
  }
}

JetTypeCode CodeOf(JetColumnType type) {
  switch (type) {
    case JetColumnType::kLong:
      return kJetLong;
    case JetColumnType::kInteger:
      return kJetInteger;
    case JetColumnType::kDouble:
      return kJetDouble;
    case JetColumnType::kDateTime:
      return kJetDateTime;
    case JetColumnType::kText:
      return kJetText;
    case JetColumnType::kMemo:
      return kJetMemo;
    case JetColumnType::kYesNo:
      return kJetBoolean;
  }
  return kJetText;
}

// MSysObjects as Access lays it out (its columns in alphabetical order).
const std::vector<ColumnDefinition>& CatalogColumns() {
  static const std::vector<ColumnDefinition> columns{
      {u"Connect", kJetMemo},
      {u"Database", kJetMemo},
      {u"DateCreate", kJetDateTime},
      {u"DateUpdate", kJetDateTime},
      {u"Flags", kJetLong},
      {u"ForeignName", kJetText},
      {u"Id", kJetLong},
      {u"Lv", kJetOle},
      {u"LvExtra", kJetOle},
      {u"LvModule", kJetOle},
      {u"LvProp", kJetOle},
      {u"Name", kJetText},
      {u"Owner", kJetBinary},
      {u"ParentId", kJetLong},
      {u"RmtInfoLong", kJetOle},
      {u"RmtInfoShort", kJetBinary},
      {u"Type", kJetInteger},
  };
  return columns;
}

std::vector<oleaut::Variant> CatalogRow(std::u16string_view name, std::uint32_t id,
                                        std::uint32_t parent, std::int16_t type,
                                        std::uint32_t flags, oleaut::Date created) {
  std::vector<oleaut::Variant> row(CatalogColumns().size(), oleaut::kNull);
  row[2] = created;
  row[3] = created;
  row[4] = static_cast<std::int32_t>(flags);
  row[6] = static_cast<std::int32_t>(id);
  row[11] = name;
  row[13] = static_cast<std::int32_t>(parent);
  row[16] = type;
  return row;
}

// Writes the pages through a temporary file beside the target, renamed into place at the end.
void WritePages(const std::filesystem::path& path, const PageFile& file, ExistingFile existing) {
  std::error_code error;
  if (existing == ExistingFile::kRefuse && std::filesystem::exists(path, error)) {
    RaiseWriterError(fmt::format("'{}' exists already", path.string()));
  }
  std::string content;
  for (const Page& page : file.Pages())
    content.append(reinterpret_cast<const char*>(page.data()), page.size());
  try {
    io::ReplaceFile(path, content);
  } catch (const oleaut::ComError& failure) {
    RaiseWriterError(oleaut::ToUtf8(failure.Description()));
  }
}

}  // namespace

void WriteJetDatabase(const std::filesystem::path& path, const JetDatabaseSpec& spec,
                      ExistingFile existing) {
  CheckNames(spec);
  const JetVersion version = spec.version;
  const oleaut::Date created = spec.created ? *spec.created : oleaut::Now();
  const CodePageText code_page(kWesternCodePage);
  PageFile file(version);
  file.Allocate();  // the database page, written last

  // Page 1 holds the map of free pages: a written file has none.
  RowPages global_map(file, 0);
  global_map.Add(UsageMap(file, {}));

  std::vector<TableImage> tables;
  TableImage& catalog = tables.emplace_back();
  catalog.name = u"MSysObjects";
  catalog.system = true;
  catalog.layout = LayOutColumns(version, CatalogColumns());
  catalog.definition_page = file.Allocate();
  if (catalog.definition_page != kCatalogPage) RaiseWriterError("The catalog is misplaced");

  for (const JetTableSpec& spec_table : spec.tables) {
    TableImage table;
    table.name = spec_table.name;
    std::vector<ColumnDefinition> definitions;
    for (const JetColumnSpec& column : spec_table.columns)
      definitions.push_back({column.name, CodeOf(column.type), column.text_length});
    table.layout = LayOutColumns(version, definitions);
    table.definition_page = file.Allocate();
    LongValuePages long_values(file);
    RowPages rows(file, table.definition_page);
    RowEncoder encoder(version, table.layout, code_page, long_values, table.name);
    for (std::size_t r = 0; r < spec_table.rows.size(); ++r)
      rows.Add(encoder.Encode(spec_table.rows[r], r + 1));
    table.row_count = static_cast<std::uint32_t>(spec_table.rows.size());
    table.data_pages = rows.Pages();
    tables.push_back(std::move(table));
  }

  {
    LongValuePages long_values(file);
    RowPages rows(file, kCatalogPage);
    RowEncoder encoder(version, tables[0].layout, code_page, long_values, u"MSysObjects");
    std::vector<std::vector<oleaut::Variant>> entries{
        CatalogRow(u"Tables", kTablesId, kRootId, 3, 0, created),
        CatalogRow(u"Databases", kDatabasesId, kRootId, 3, 0, created),
        CatalogRow(u"Relationships", kRelationshipsId, kRootId, 3, 0, created),
        CatalogRow(u"MSysDb", kDatabaseObjectId, kDatabasesId, 2, 0, created),
        CatalogRow(u"MSysObjects", kCatalogPage, kTablesId, 1, kSystemObjectFlags, created)};
    for (std::size_t t = 1; t < tables.size(); ++t) {
      entries.push_back(
          CatalogRow(tables[t].name, tables[t].definition_page, kTablesId, 1, 0, created));
    }
    for (std::size_t r = 0; r < entries.size(); ++r)
      rows.Add(encoder.Encode(entries[r], r + 1));
    tables[0].row_count = static_cast<std::uint32_t>(entries.size());
    tables[0].data_pages = rows.Pages();
  }

  RowPages maps(file, 0);
  for (const TableImage& table : tables) {
    const std::uint32_t usage = maps.Add(UsageMap(file, table.data_pages));
    std::vector<std::uint32_t> with_room;
    if (!table.data_pages.empty()) with_room.push_back(table.data_pages.back());
    const std::uint32_t free_space = maps.Add(UsageMap(file, with_room));
    WriteTableDefinition(file, table, usage, free_space, code_page);
  }
  WriteDatabasePage(file, created.OleValue());
  WritePages(path, file, existing);
}

}  // namespace ado::jet
