// Turns one row of Variants into the bytes of a Jet row: the fixed-size columns, the variable
// ones with their offset table (and Jet 3's jump table), the null mask. Long values (Memo) that
// do not stay inside the row are handed to a LongValueStore, which puts them on their own pages.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ado/jet/jet_format.h"
#include "platform/ado/jet/text_codec.h"
#include "platform/oleaut/variant.h"

namespace ado::jet {

// A column as it is stored: its type code, and where it sits in a row.
struct StoredColumn {
  std::u16string name;
  JetTypeCode code = kJetText;
  std::uint16_t number = 0;        // position in the table, and bit of the null mask
  bool fixed = false;              // in the fixed area (numbers, dates, Yes/No)
  std::uint16_t fixed_offset = 0;  // within the fixed area
  std::uint16_t var_index = 0;     // among the variable columns
  std::uint16_t length = 0;        // bytes as the definition states them (0 for long values)
  std::uint16_t max_chars = 0;     // Text: characters allowed
};

// The columns of one table, laid out.
struct TableLayout {
  std::vector<StoredColumn> columns;
  std::uint16_t fixed_size = 0;
  std::uint16_t var_count = 0;
};

struct ColumnDefinition {
  std::u16string name;
  JetTypeCode code = kJetText;
  int text_length = 255;
};

TableLayout LayOutColumns(JetVersion version, const std::vector<ColumnDefinition>& definitions);

// Where long values go that are too large for their row.
class LongValueStore {
 public:
  virtual ~LongValueStore() = default;
  // Stores `bytes` and returns the row pointer (page << 8 | row) and the flags of the 12-byte
  // field header that points at them.
  struct Placement {
    std::uint32_t flags;
    std::uint32_t pointer;
  };
  virtual Placement Store(std::span<const std::uint8_t> bytes) = 0;
};

class RowEncoder {
 public:
  // `code_page` is used for Jet 3 text; it must outlive the encoder.
  RowEncoder(JetVersion version, const TableLayout& layout, const CodePageText& code_page,
             LongValueStore& long_values, std::u16string table_name);

  // The row's bytes. `row_number` (1-based) only serves error messages.
  std::vector<std::uint8_t> Encode(std::span<const oleaut::Variant> values, std::size_t row_number);

 private:
  struct Field {
    bool present = false;  // not Null (for Yes/No: the value)
    std::vector<std::uint8_t> bytes;
  };
  Field Convert(const StoredColumn& column, const oleaut::Variant& value, std::size_t row_number);
  std::vector<std::uint8_t> TextBytes(const StoredColumn& column, std::u16string_view text,
                                      bool compress, std::size_t row_number) const;
  std::vector<std::uint8_t> LongValue(const StoredColumn& column, std::vector<std::uint8_t> bytes,
                                      std::size_t row_number);
  std::vector<std::uint8_t> Assemble(const std::vector<Field>& fields) const;
  [[noreturn]] void RaiseValue(const StoredColumn& column, std::size_t row_number,
                               const std::string& what) const;

  JetVersion version_;
  const TableLayout& layout_;
  const CodePageText& code_page_;
  LongValueStore& long_values_;
  std::u16string table_name_;
};

// Raises the writer's error (a ComError from "Jet database writer").
[[noreturn]] void RaiseWriterError(const std::string& message);

}  // namespace ado::jet
