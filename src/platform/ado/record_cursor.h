// The rows of one open recordset and the position in them, shared by the Recordset and the
// Fields and Field objects it hands out. Those objects may outlive the recordset's Close (a
// caller can keep a Field); they keep the cursor alive and find it closed, so reading them raises
// "object is closed" instead of touching freed rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ado/field_name_index.h"
#include "platform/ado/provider.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace ado {

class RecordCursor : public com::Unknown {
 public:
  ~RecordCursor() override;
  explicit RecordCursor(RowSet rows);

  bool IsOpen() const noexcept { return open_; }
  // Frees the rows; every later access raises 3704.
  void Close() noexcept;

  std::size_t ColumnCount() const noexcept { return columns_; }
  std::int64_t RowCount() const noexcept { return row_count_; }
  const ColumnInfo& Column(std::size_t column) const noexcept { return rows_.columns[column]; }
  const FieldNameIndex& Names() const noexcept { return names_; }

  // Both are True for a recordset without rows.
  bool Bof() const noexcept { return position_ < 0 || row_count_ == 0; }
  bool Eof() const noexcept { return position_ >= row_count_; }
  std::int64_t Position() const noexcept { return position_; }
  // -1 is before the first row (BOF), RowCount() after the last (EOF).
  void MoveTo(std::int64_t position) noexcept;

  // The value of `column` in the current row: raises 3704 when closed and 3021 at BOF or EOF,
  // naming `source` ("ADODB.Field") as the raiser.
  const oleaut::Variant& Value(std::size_t column, std::u16string_view source);

  // GetChunk's reading position in the current row's `column`: ADO starts over when another
  // field is read or the row changes in between.
  // The reference stays valid until the next call on the cursor.
  std::size_t& ChunkOffset(std::size_t column) noexcept;

  // Raises 3704 from `source` when the cursor is closed.
  void RequireOpen(std::u16string_view source, std::u16string_view what) const;

 private:
  static constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

  RowSet rows_;
  FieldNameIndex names_;
  std::size_t columns_;
  std::int64_t row_count_;
  std::int64_t position_ = 0;
  bool open_ = true;
  std::size_t chunk_column_ = kNoColumn;
  std::int64_t chunk_row_ = -1;
  std::size_t chunk_offset_ = 0;
};

}  // namespace ado
