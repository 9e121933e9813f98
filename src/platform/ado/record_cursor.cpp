#include "platform/ado/record_cursor.h"

#include <string>
#include <utility>

#include "platform/ado/errors.h"

namespace ado {

RecordCursor::~RecordCursor() = default;

RecordCursor::RecordCursor(RowSet rows)
    : rows_(std::move(rows)),
      names_(rows_.columns),
      columns_(rows_.columns.size()),
      row_count_(static_cast<std::int64_t>(rows_.RowCount())) {}

void RecordCursor::Close() noexcept {
  open_ = false;
  rows_ = RowSet();
  names_ = FieldNameIndex();
  row_count_ = 0;
  position_ = 0;
  chunk_column_ = kNoColumn;
}

void RecordCursor::MoveTo(std::int64_t position) noexcept {
  position_ = position;
}

const oleaut::Variant& RecordCursor::Value(std::size_t column, std::u16string_view source) {
  if (!open_) RequireOpen(source, u"reading a field");
  if (position_ < 0 || position_ >= row_count_) {
    RaiseAdoError(kAdoBofOrEof, source,
                  std::u16string(u"Field '") + rows_.columns[column].name +
                      (row_count_ == 0 ? u"' was read in a recordset without rows."
                       : position_ < 0 ? u"' was read before the first record (BOF)."
                                       : u"' was read after the last record (EOF)."));
  }
  if (chunk_column_ != column) chunk_column_ = kNoColumn;
  return rows_.values[static_cast<std::size_t>(position_) * columns_ + column];
}

std::size_t& RecordCursor::ChunkOffset(std::size_t column) noexcept {
  if (chunk_column_ != column || chunk_row_ != position_) {
    chunk_column_ = column;
    chunk_row_ = position_;
    chunk_offset_ = 0;
  }
  return chunk_offset_;
}

void RecordCursor::RequireOpen(std::u16string_view source, std::u16string_view what) const {
  if (open_) return;
  RaiseAdoError(kAdoObjectClosed, source,
                std::u16string(u"The recordset was closed before ") + std::u16string(what) + u'.');
}

}  // namespace ado
