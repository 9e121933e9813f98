// Paper sizes by name (A3, A4, A5, B5, Letter, Legal, and the continuous form 241x140) or as
// "WIDTHxHEIGHT" in millimetres, portrait.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace printing {

struct PaperSize {
  double width = 0;
  double height = 0;
};

std::optional<PaperSize> PaperSizeByName(std::string_view name);

// The names PaperSizeByName knows, for messages and help.
std::string KnownPaperSizes();

}  // namespace printing
