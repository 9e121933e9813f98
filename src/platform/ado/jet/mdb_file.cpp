#include "platform/ado/jet/mdb_file.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "platform/ado/jet/errors.h"
#include "platform/ado/jet/page_bytes.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado::jet {
namespace {

constexpr std::size_t kCatalogPage = 2;
// Overflow rows point at other rows; Jet never chains them, a damaged file might.
constexpr int kMaxOverflowDepth = 4;

std::u16string SystemError(int error) {
  return oleaut::FromUtf8(std::strerror(error));
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Where row `row` of a data page lies, by the page's offset table: the row ends where the row
// before it starts. nullopt when the table or the bounds make no sense.
struct RowBounds {
  std::size_t start;
  std::size_t end;
  std::uint16_t flags;
};
std::optional<RowBounds> FindRow(std::span<const std::uint8_t> page, const JetLayout& layout,
                                 std::size_t row) {
  const std::size_t rows = GetU16(page, layout.data_row_count);
  const std::size_t entry = layout.data_header_size + 2 * row;
  if (row >= rows || entry + 2 > page.size()) return std::nullopt;
  const std::uint16_t raw = GetU16(page, entry);
  const std::size_t start = raw & kRowOffsetMask;
  const std::size_t end =
      row == 0 ? page.size() : static_cast<std::size_t>(GetU16(page, entry - 2) & kRowOffsetMask);
  if (start < entry + 2 || start > end || end > page.size()) return std::nullopt;
  return RowBounds{start, end, static_cast<std::uint16_t>(raw & ~kRowOffsetMask)};
}

}  // namespace

// Memo and OLE values: inline in the field, one row of a long-value page, or a chain of rows.
struct MdbFile::LongValues final : LongValueSource {
  explicit LongValues(const MdbFile& owner) : file(owner) {}

  std::vector<std::uint8_t> Read(std::span<const std::uint8_t> field) override {
    if (field.size() < kLongValueHeaderSize) file.RaiseDamaged("a Memo field lacks its header");
    const std::uint32_t word = GetU32(field, 0);
    const std::uint32_t flags = word & 0xC0000000U;
    const std::size_t length = word & 0x3FFFFFFFU;
    if (flags == kLongValueInline) {
      const auto rest = field.subspan(kLongValueHeaderSize);
      return {rest.begin(),
              rest.begin() + static_cast<std::ptrdiff_t>(std::min(length, rest.size()))};
    }
    std::uint32_t pointer = GetU32(field, 4);
    if (flags == kLongValueSinglePage) {
      std::vector<std::uint8_t> value = RowAt(pointer);
      if (value.size() > length) value.resize(length);
      return value;
    }
    if (flags != 0) file.RaiseDamaged("a Memo field has unknown flags");
    std::vector<std::uint8_t> value;
    value.reserve(std::min<std::size_t>(length, 1U << 24));
    for (std::uint32_t hops = 0; value.size() < length; ++hops) {
      if (hops > file.PageCount()) file.RaiseDamaged("a Memo's pages form a loop");
      const std::vector<std::uint8_t> row = RowAt(pointer);
      if (row.size() < 4) file.RaiseDamaged("a piece of a Memo lacks its link");
      const std::size_t take = std::min(row.size() - 4, length - value.size());
      value.insert(value.end(), row.begin() + 4,
                   row.begin() + 4 + static_cast<std::ptrdiff_t>(take));
      pointer = GetU32(row, 0);
      if (pointer == 0) break;
    }
    if (value.size() < length) {
      file.RaiseDamaged(fmt::format("a Memo of {} bytes ends after {}", length, value.size()));
    }
    return value;
  }

  std::vector<std::uint8_t> RowAt(std::uint32_t pointer) const {
    const std::uint32_t page_number = pointer >> 8;
    const std::size_t row = pointer & 0xFF;
    MdbHandle* mdb = file.Handle();
    const JetLayout& layout = LayoutOf(file.Version());
    if (page_number == 0 || page_number >= file.PageCount() ||
        mdb_read_alt_pg(mdb, page_number) != static_cast<ssize_t>(layout.page_size)) {
      file.RaiseDamaged(
          fmt::format("a Memo points at page {} of {}", page_number, file.PageCount()));
    }
    const std::span<const std::uint8_t> page(mdb->alt_pg_buf, layout.page_size);
    const auto bounds = page[0] == 0x01 ? FindRow(page, layout, row) : std::nullopt;
    if (!bounds) {
      file.RaiseDamaged(
          fmt::format("a Memo points at row {} of page {}, which is no row", row, page_number));
    }
    return {page.begin() + static_cast<std::ptrdiff_t>(bounds->start),
            page.begin() + static_cast<std::ptrdiff_t>(bounds->end)};
  }

  const MdbFile& file;
};

MdbFile::MdbFile(const std::filesystem::path& path, std::u16string path_text)
    : path_text_(std::move(path_text)) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) RaiseFileNotFound(path_text_);
    RaiseCannotOpen(path_text_, SystemError(errno));
  }
  if (S_ISDIR(status.st_mode)) RaiseNotAValidPath(path_text_, u"it is a directory");
  if (!S_ISREG(status.st_mode)) RaiseUnrecognizedFormat(path_text_, u"it is not a regular file");
  {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0) RaiseCannotOpen(path_text_, SystemError(errno));
    std::array<std::uint8_t, 0x20> header{};
    const ssize_t got = ::pread(fd.Get(), header.data(), header.size(), 0);
    if (got < static_cast<ssize_t>(header.size())) {
      RaiseUnrecognizedFormat(
          path_text_, oleaut::FromUtf8(fmt::format("the file has {} bytes, too few for a database",
                                                   status.st_size)));
    }
    if (header[0] != 0 || std::memcmp(header.data() + 4, kJetMagic, sizeof kJetMagic) != 0) {
      if (std::memcmp(header.data() + 4, kAceMagic, sizeof kAceMagic) == 0) {
        RaiseUnrecognizedFormat(path_text_,
                                u"it is an Access 2007 or later database, which the "
                                u"Jet 4.0 provider cannot open");
      }
      RaiseUnrecognizedFormat(path_text_, u"it is not a Jet database");
    }
    const std::uint32_t version = GetU32(header, kVersionOffset);
    if (version > 1) {
      RaiseUnrecognizedFormat(path_text_, oleaut::FromUtf8(fmt::format(
                                              "format version {} is not Jet 3 or Jet 4", version)));
    }
    version_ = static_cast<JetVersion>(version);
  }
  const std::size_t page_size = LayoutOf(version_).page_size;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (size % page_size != 0 || size / page_size <= kCatalogPage) {
    RaiseUnrecognizedFormat(path_text_,
                            oleaut::FromUtf8(fmt::format("{} bytes are not whole {}-byte pages "
                                                         "up to the catalog: the file is cut "
                                                         "short",
                                                         size, page_size)));
  }
  page_count_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(size / page_size, 0xFFFFFF));

  static std::once_flag options_read;
  std::call_once(options_read, [] { mdb_get_option(MDB_DEBUG_ROW); });
  mdb_ = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!mdb_) RaiseUnrecognizedFormat(path_text_, u"mdbtools cannot open it");
  try {
    if (version_ == JetVersion::kJet3)
      code_page_ = std::make_unique<CodePageText>(mdb_->f->code_page);
    long_values_ = std::make_unique<LongValues>(*this);
    decode_ = {version_, code_page_.get(), long_values_.get()};

    MdbCatalogEntry catalog{};
    catalog.mdb = mdb_;
    catalog.object_type = MDB_TABLE;
    catalog.table_pg = kCatalogPage;
    std::snprintf(catalog.object_name, sizeof catalog.object_name, "MSysObjects");
    CheckDefinitionPage(kCatalogPage, u"MSysObjects");
    MdbTableDef* definition = mdb_read_table(&catalog);
    if (!definition) RaiseDamaged("its catalog (page 2) cannot be read");
    struct FreeDefinition {
      MdbTableDef* table;
      ~FreeDefinition() { mdb_free_tabledef(table); }
    } free_definition{definition};
    CheckUsageMap(*definition, u"MSysObjects");
    if (!mdb_read_catalog(mdb_, MDB_TABLE)) RaiseDamaged("its catalog cannot be read");
  } catch (...) {
    mdb_close(mdb_);
    throw;
  }
}

MdbFile::~MdbFile() {
  tables_.clear();
  mdb_close(mdb_);
}

void MdbFile::RaiseDamaged(const std::string& what) const {
  RaiseUnrecognizedFormat(path_text_, oleaut::FromUtf8(what));
}

void MdbFile::CheckDefinitionPage(std::uint32_t page, std::u16string_view name) const {
  const std::string table_name = oleaut::ToUtf8(name);
  const std::size_t page_size = LayoutOf(version_).page_size;
  if (page >= page_count_) {
    RaiseDamaged(
        fmt::format("the definition of table '{}' is on page {}, but the file ends at "
                    "page {}: it is cut short",
                    table_name, page, page_count_));
  }
  if (mdb_read_alt_pg(mdb_, page) != static_cast<ssize_t>(page_size) ||
      mdb_->alt_pg_buf[0] != 0x02) {
    RaiseDamaged(fmt::format("page {} should define table '{}' but does not", page, table_name));
  }
  const std::span<const std::uint8_t> definition(mdb_->alt_pg_buf, page_size);
  for (const std::size_t at : {mdb_->fmt->tab_usage_map_offset, mdb_->fmt->tab_free_map_offset}) {
    const std::uint32_t map_page = GetU32(definition, at) >> 8;
    if (map_page >= page_count_) {
      RaiseDamaged(
          fmt::format("the page map of table '{}' is on page {}, but the file ends at "
                      "page {}: it is cut short",
                      table_name, map_page, page_count_));
    }
  }
}

void MdbFile::CheckUsageMap(const MdbTableDef& table, std::u16string_view name) const {
  const std::string table_name = oleaut::ToUtf8(name);
  const auto past_end = [&](std::uint64_t page) {
    RaiseDamaged(
        fmt::format("table '{}' has rows on page {}, but the file ends at page {}: it "
                    "is cut short",
                    table_name, page, page_count_));
  };
  const std::span<const std::uint8_t> map(table.usage_map, table.map_sz);
  if (map.empty()) RaiseDamaged(fmt::format("table '{}' has no usage map", table_name));
  if (map[0] == 0x00) {
    if (map.size() < 5) RaiseDamaged(fmt::format("the usage map of '{}' is cut short", table_name));
    const std::uint64_t start = GetU32(map, 1);
    for (std::size_t bit = 0; bit < (map.size() - 5) * 8; ++bit) {
      if ((map[5 + bit / 8] >> (bit % 8)) & 1) {
        if (start + bit >= page_count_) past_end(start + bit);
      }
    }
    return;
  }
  if (map[0] != 0x01) {
    RaiseDamaged(fmt::format("the usage map of '{}' has unknown type {}", table_name, map[0]));
  }
  const std::size_t page_size = LayoutOf(version_).page_size;
  const std::uint64_t per_map_page = (page_size - 4) * 8;
  for (std::size_t i = 0; i + 4 < map.size(); i += 4) {
    const std::uint32_t map_page = GetU32(map, 1 + i);
    if (map_page == 0) continue;
    if (map_page >= page_count_) past_end(map_page);
    if (mdb_read_alt_pg(mdb_, map_page) != static_cast<ssize_t>(page_size)) past_end(map_page);
    const std::span<const std::uint8_t> bits(mdb_->alt_pg_buf + 4, page_size - 4);
    for (std::size_t bit = 0; bit < per_map_page; ++bit) {
      if ((bits[bit / 8] >> (bit % 8)) & 1) {
        const std::uint64_t page = (i / 4) * per_map_page + bit;
        if (page >= page_count_) past_end(page);
      }
    }
  }
}

MdbTable& MdbFile::Table(std::u16string_view name) {
  const std::u16string key = oleaut::UCase(name);
  if (const auto found = tables_.find(key); found != tables_.end()) return *found->second;
  MdbCatalogEntry* entry = nullptr;
  for (guint i = 0; mdb_->catalog && i < mdb_->catalog->len; ++i) {
    auto* candidate = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
    if (candidate->object_type == MDB_TABLE &&
        oleaut::EqualsNoCase(oleaut::FromUtf8(candidate->object_name), name)) {
      entry = candidate;
      break;
    }
  }
  if (!entry) RaiseNoSuchTable(name);
  CheckDefinitionPage(static_cast<std::uint32_t>(entry->table_pg),
                      oleaut::FromUtf8(entry->object_name));
  MdbTableDef* definition = mdb_read_table(entry);
  if (!definition) {
    RaiseDamaged(fmt::format("the definition of table '{}' cannot be read", entry->object_name));
  }
  std::unique_ptr<MdbTable> table(
      new MdbTable(*this, definition, oleaut::FromUtf8(entry->object_name)));
  CheckUsageMap(*definition, table->Name());
  if (!mdb_read_columns(definition) || definition->columns->len != definition->num_cols) {
    RaiseDamaged(fmt::format("the columns of table '{}' cannot be read", entry->object_name));
  }
  const std::size_t page_size = LayoutOf(version_).page_size;
  for (guint i = 0; i < definition->columns->len; ++i) {
    const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(definition->columns, i));
    if (column->is_fixed && column->fixed_offset + FixedSizeOf(column->col_type) > page_size) {
      RaiseDamaged(fmt::format("column '{}' of table '{}' lies outside a row", column->name,
                               entry->object_name));
    }
    JetColumnInfo info;
    info.name = oleaut::FromUtf8(column->name);
    info.code = static_cast<std::uint8_t>(column->col_type);
    info.size = column->col_size;
    info.precision = column->col_prec;
    info.scale = column->col_scale;
    info.null_bit = column->col_num;
    table->columns_.push_back(std::move(info));
  }
  table->fields_.resize(definition->num_cols);
  return *tables_.emplace(key, std::move(table)).first->second;
}

std::vector<std::u16string> MdbFile::TableNames() const {
  std::vector<std::u16string> names;
  for (guint i = 0; mdb_->catalog && i < mdb_->catalog->len; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
    if (mdb_is_user_table(entry)) names.push_back(oleaut::FromUtf8(entry->object_name));
  }
  return names;
}

MdbTable::MdbTable(MdbFile& file, MdbTableDef* table, std::u16string name)
    : file_(file), table_(table), name_(std::move(name)) {}

MdbTable::~MdbTable() {
  mdb_free_tabledef(table_);
}

void MdbTable::Scan(const std::function<bool(const RowView&)>& visit) {
  MdbHandle* mdb = file_.Handle();
  const JetLayout& layout = LayoutOf(file_.Version());
  const std::span<std::uint8_t> page(mdb->pg_buf, layout.page_size);
  mdb_rewind_table(table_);
  bool go_on = true;
  while (go_on && mdb_read_next_dpg(table_) > 0) {
    const std::size_t rows = GetU16(page, layout.data_row_count);
    for (std::size_t row = 0; row < rows && go_on; ++row) {
      auto bounds = FindRow(page, layout, row);
      if (!bounds) {
        file_.RaiseDamaged(fmt::format("row {} of page {} of table '{}' has no sound bounds", row,
                                       mdb->cur_pg, oleaut::ToUtf8(name_)));
      }
      if (bounds->flags & kRowDeleted) continue;
      if (!(bounds->flags & kRowOverflow)) {
        VisitRow(bounds->start, bounds->end - bounds->start, visit, &go_on);
        continue;
      }
      // The row moved to another page; this one keeps a pointer to it. The page buffer is
      // borrowed for it and given back, so that the scan goes on where it was.
      const std::vector<std::uint8_t> saved(page.begin(), page.end());
      struct Restore {
        std::span<std::uint8_t> page;
        const std::vector<std::uint8_t>& saved;
        ~Restore() { std::copy(saved.begin(), saved.end(), page.begin()); }
      } restore{page, saved};
      for (int depth = 0;; ++depth) {
        if (bounds->end - bounds->start < 4 || depth == kMaxOverflowDepth) {
          file_.RaiseDamaged(
              fmt::format("a moved row of table '{}' cannot be followed", oleaut::ToUtf8(name_)));
        }
        const std::uint32_t pointer = GetU32(page, bounds->start);
        const std::uint32_t target = pointer >> 8;
        if (target == 0 || target >= file_.PageCount() ||
            mdb_read_alt_pg(mdb, target) != static_cast<ssize_t>(layout.page_size)) {
          file_.RaiseDamaged(fmt::format("a moved row of table '{}' points at page {} of {}",
                                         oleaut::ToUtf8(name_), target, file_.PageCount()));
        }
        std::copy(mdb->alt_pg_buf, mdb->alt_pg_buf + layout.page_size, page.begin());
        bounds = page[0] == 0x01 ? FindRow(page, layout, pointer & 0xFF) : std::nullopt;
        if (!bounds) {
          file_.RaiseDamaged(
              fmt::format("a moved row of table '{}' points at no row", oleaut::ToUtf8(name_)));
        }
        if (!(bounds->flags & kRowOverflow)) break;
      }
      VisitRow(bounds->start, bounds->end - bounds->start, visit, &go_on);
    }
  }
}

void MdbTable::VisitRow(std::size_t row_start, std::size_t row_size,
                        const std::function<bool(const RowView&)>& visit, bool* go_on) {
  MdbHandle* mdb = file_.Handle();
  const bool jet4 = file_.Version() == JetVersion::kJet4;
  const std::span<const std::uint8_t> row(mdb->pg_buf + row_start, row_size);
  // What mdb_crack_row reads, checked first: the column count, the null mask at the end, and
  // before it the count and offsets of the variable columns (and Jet 3's jump table).
  const std::size_t count_size = jet4 ? 2 : 1;
  const auto damaged = [&] {
    file_.RaiseDamaged(fmt::format("a row of table '{}' on page {} is malformed",
                                   oleaut::ToUtf8(name_), mdb->cur_pg));
  };
  if (row_size < count_size) damaged();
  const std::size_t columns = jet4 ? GetU16(row, 0) : row[0];
  const std::size_t mask = (columns + 7) / 8;
  if (count_size + mask > row_size) damaged();
  if (table_->num_var_cols > 0) {
    if (jet4) {
      if (count_size + mask + 2 > row_size) damaged();
      const std::size_t var_count = GetU16(row, row_size - mask - 2);
      if (count_size + mask + 2 + 2 * (var_count + 1) > row_size) damaged();
    } else {
      if (count_size + mask + 1 > row_size) damaged();
      const std::size_t var_count = row[row_size - mask - 1];
      const std::size_t jumps = (row_size - 1) / 256;
      if (count_size + mask + 1 + jumps + var_count + 1 > row_size) damaged();
    }
  }
  if (mdb_crack_row(table_, static_cast<int>(row_start), row_size, fields_.data()) < 0) damaged();
  const RowView view(file_, columns_, fields_, row, row_start, mask * 8);
  if (!visit(view)) *go_on = false;
}

bool RowView::IsPresent(std::size_t column) const {
  return static_cast<std::size_t>(columns_[column].null_bit) < mask_bits_ &&
         !fields_[column].is_null;
}

oleaut::Variant RowView::Value(std::size_t column) const {
  const bool present = IsPresent(column);
  const JetColumnInfo& info = columns_[column];
  if (!present || info.code == kJetBoolean) {
    return DecodeField(file_.Decoding(), info, {}, present);
  }
  const MdbField& field = fields_[column];
  if (field.siz < 0 || static_cast<std::size_t>(field.start) < row_offset_ ||
      static_cast<std::size_t>(field.start) + static_cast<std::size_t>(field.siz) >
          row_offset_ + row_.size()) {
    file_.RaiseDamaged(
        fmt::format("a value of column '{}' lies outside its row", oleaut::ToUtf8(info.name)));
  }
  return DecodeField(file_.Decoding(), info,
                     row_.subspan(field.start - row_offset_, static_cast<std::size_t>(field.siz)),
                     present);
}

}  // namespace ado::jet
