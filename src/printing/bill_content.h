// One bill as the renderer draws it: the values of the head and entry columns a layout reads,
// in slots fixed once per run, and the bill's print-count text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "layout.h"
#include "platform/oleaut/variant.h"

namespace printing {

// Column names compare as the database compares them: ASCII letters in either case.
bool SameName(const std::string& a, const std::string& b);

// The columns a layout reads, each at a fixed slot. Entry slots 0 and 1 are always FQtyDecimal
// and FPriceDecimal, the decimals of a line's quantities and prices.
struct LayoutFields {
  static constexpr std::size_t kQtyDecimalSlot = 0;
  static constexpr std::size_t kPriceDecimalSlot = 1;

  std::vector<std::string> head;
  std::vector<std::string> entry{"FQtyDecimal", "FPriceDecimal"};
  bool print_count = false;  // a text shows the bill's print count

  // Column names compare without regard to case, as ADO's Fields do.
  std::optional<std::size_t> HeadSlot(const std::string& name) const;
  std::optional<std::size_t> EntrySlot(const std::string& name) const;
};

LayoutFields FieldsOf(const Layout& layout);

struct BillContent {
  std::int32_t id = 0;
  std::vector<oleaut::Variant> head;                // by LayoutFields::head slot
  std::vector<std::vector<oleaut::Variant>> lines;  // by LayoutFields::entry slot
  std::string print_count;                          // GetBillPrintCount's text
};

// Where pictures come from: the print run asks the component; a test may give bytes itself.
class PictureProvider {
 public:
  virtual ~PictureProvider() = default;
  // The bytes of the picture `source` names for `key`, or nothing when there are none.
  virtual std::optional<std::vector<std::uint8_t>> Bytes(const PictureSource& source,
                                                         const oleaut::Variant& key) = 0;
};

}  // namespace printing
