#include "paper_size.h"

#include <array>
#include <charconv>
#include <utility>

namespace printing {

namespace {

constexpr std::array<std::pair<std::string_view, PaperSize>, 7> kSizes{{
    {"A3", {297, 420}},
    {"A4", {210, 297}},
    {"A5", {148, 210}},
    {"B5", {176, 250}},
    {"Letter", {215.9, 279.4}},
    {"Legal", {215.9, 355.6}},
    {"241x140", {241, 140}},
}};

std::optional<double> Millimetres(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || value > 5000)
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<PaperSize> PaperSizeByName(std::string_view name) {
  for (const auto& [known, size] : kSizes) {
    if (known == name) return size;
  }
  const std::size_t x = name.find('x');
  if (x == std::string_view::npos) return std::nullopt;
  const auto width = Millimetres(name.substr(0, x));
  const auto height = Millimetres(name.substr(x + 1));
  if (!width || !height) return std::nullopt;
  return PaperSize{*width, *height};
}

std::string KnownPaperSizes() {
  std::string names;
  for (const auto& [known, size] : kSizes)
    names += std::string(known) + ", ";
  return names + "or WIDTHxHEIGHT in mm";
}

}  // namespace printing
