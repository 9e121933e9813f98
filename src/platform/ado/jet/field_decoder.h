// Jet's stored values as Automation values: the bytes of one field of a row (numbers, dates,
// text, long values) into a Variant, and each column type's ADO description, as the Jet OLE DB
// provider gives them (Text as adVarWChar, Memo as adLongVarWChar, Yes/No as adBoolean, Long as
// adInteger, Date/Time as adDate).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/ado/jet/jet_format.h"
#include "platform/ado/jet/text_codec.h"
#include "platform/ado/provider.h"
#include "platform/oleaut/variant.h"

namespace ado::jet {

// A column of a Jet table as its definition states it.
struct JetColumnInfo {
  std::u16string name;
  std::uint8_t code = kJetText;
  int size = 0;  // bytes
  int precision = 0;
  int scale = 0;
  int null_bit = 0;  // its bit in a row's null mask
};

// The ADO description of a column, under the name the result gives it.
ColumnInfo DescribeColumn(JetVersion version, const JetColumnInfo& column, std::u16string name);

// Whether Jet compares values of the type as text, as numbers, or not at all.
enum class ValueClass { kText, kNumber, kBinary };
ValueClass ClassOf(std::uint8_t code);

// Reads the value a long-value field (Memo, OLE Object) points at.
class LongValueSource {
 public:
  virtual ~LongValueSource() = default;
  // `field` is the whole field: its 12-byte header, and the value itself when it is inline.
  virtual std::vector<std::uint8_t> Read(std::span<const std::uint8_t> field) = 0;
};

struct DecodeContext {
  JetVersion version = JetVersion::kJet4;
  const CodePageText* code_page = nullptr;  // Jet 3 text
  LongValueSource* long_values = nullptr;
};

// The value of a field; `present` is the field's bit in the row's null mask (for Yes/No, the
// value itself). Unknown column types raise an error naming the type.
oleaut::Variant DecodeField(const DecodeContext& context, const JetColumnInfo& column,
                            std::span<const std::uint8_t> bytes, bool present);

}  // namespace ado::jet
