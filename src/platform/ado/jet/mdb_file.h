// The one place that calls libmdb (mdbtools): an open Jet file, its catalog of tables, and scans
// of a table's rows. mdbtools reads the structure (pages, catalog, table definitions, row
// layout); before anything is handed to it, the parts it would follow blindly are checked
// (the file's header and length, every page a usage map names, each row's bounds), because a
// damaged file must end in an error, not in a crash or in mdbtools' exit(). Values are decoded
// here, from the page bytes, so that Null and the empty text stay apart and Memos come whole.
#pragma once

// mdbtools.h includes glib.h inside extern "C", where glib's C++ parts cannot compile; glib
// included first is skipped there.
#include <glib.h>
#include <mdbtools.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/ado/jet/field_decoder.h"
#include "platform/ado/jet/jet_format.h"
#include "platform/ado/jet/text_codec.h"

namespace ado::jet {

class MdbFile;

// One row of a scan, valid while the scan's visitor runs.
class RowView {
 public:
  bool IsPresent(std::size_t column) const;
  oleaut::Variant Value(std::size_t column) const;

 private:
  friend class MdbTable;
  RowView(const MdbFile& file, const std::vector<JetColumnInfo>& columns,
          const std::vector<MdbField>& fields, std::span<const std::uint8_t> row,
          std::size_t row_offset, std::size_t mask_bits)
      : file_(file),
        columns_(columns),
        fields_(fields),
        row_(row),
        row_offset_(row_offset),
        mask_bits_(mask_bits) {}

  const MdbFile& file_;
  const std::vector<JetColumnInfo>& columns_;
  const std::vector<MdbField>& fields_;
  std::span<const std::uint8_t> row_;  // the row's bytes within its page
  std::size_t row_offset_;             // where the row starts in its page
  std::size_t mask_bits_;              // columns the row's null mask covers
};

class MdbTable {
 public:
  MdbTable(const MdbTable&) = delete;
  MdbTable& operator=(const MdbTable&) = delete;
  ~MdbTable();

  const std::u16string& Name() const noexcept { return name_; }
  const std::vector<JetColumnInfo>& Columns() const noexcept { return columns_; }

  // Calls `visit` for each row in the order the pages keep them, until it returns false.
  void Scan(const std::function<bool(const RowView&)>& visit);

 private:
  friend class MdbFile;
  MdbTable(MdbFile& file, MdbTableDef* table, std::u16string name);
  void VisitRow(std::size_t row_start, std::size_t row_size,
                const std::function<bool(const RowView&)>& visit, bool* go_on);

  MdbFile& file_;
  MdbTableDef* table_;
  std::u16string name_;
  std::vector<JetColumnInfo> columns_;
  std::vector<MdbField> fields_;
};

class MdbFile {
 public:
  // Opens and checks the file; a missing, unreadable, foreign or damaged file raises Jet's error
  // naming `path_text` (the path as the connection string gives it).
  MdbFile(const std::filesystem::path& path, std::u16string path_text);
  MdbFile(const MdbFile&) = delete;
  MdbFile& operator=(const MdbFile&) = delete;
  ~MdbFile();

  JetVersion Version() const noexcept { return version_; }
  const std::u16string& PathText() const noexcept { return path_text_; }
  // The table (or system table) of that name, compared without regard to case; Jet's "cannot
  // find the input table" error when there is none.
  MdbTable& Table(std::u16string_view name);
  // The user tables' names, in catalog order.
  std::vector<std::u16string> TableNames() const;

  // For the parts of this unit that read pages and report damage.
  MdbHandle* Handle() const noexcept { return mdb_; }
  std::uint32_t PageCount() const noexcept { return page_count_; }
  const DecodeContext& Decoding() const noexcept { return decode_; }
  [[noreturn]] void RaiseDamaged(const std::string& what) const;
  // Checks that a table's definition page is one and that the rows holding its page maps lie
  // inside the file, before libmdb reads them.
  void CheckDefinitionPage(std::uint32_t page, std::u16string_view name) const;
  // Checks that libmdb can follow the table's usage map without reading past the file's end.
  void CheckUsageMap(const MdbTableDef& table, std::u16string_view name) const;

 private:
  struct LongValues;

  std::u16string path_text_;
  JetVersion version_ = JetVersion::kJet4;
  std::uint32_t page_count_ = 0;
  MdbHandle* mdb_ = nullptr;
  std::unique_ptr<CodePageText> code_page_;
  std::unique_ptr<LongValues> long_values_;
  DecodeContext decode_;
  std::map<std::u16string, std::unique_ptr<MdbTable>> tables_;  // by upper-case name
};

}  // namespace ado::jet
