#include "print_settings.h"

#include <fmt/format.h>

#include <charconv>
#include <vector>

#include "paper_size.h"
#include "print_error.h"

namespace printing {

namespace {

std::optional<double> ParseNumber(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

std::string Number(double value) {
  return fmt::format("{}", value);
}

}  // namespace

bool IsPrintSettings(std::string_view value) {
  return value.starts_with(kPrintSettingsSignature) &&
         (value.size() == kPrintSettingsSignature.size() ||
          value[kPrintSettingsSignature.size()] == '\n' ||
          value[kPrintSettingsSignature.size()] == '\r');
}

void SetPrintSetting(PrintSettings& settings, std::string_view key, std::string_view value) {
  value = Trim(value);
  if (key == "paper") {
    if (!PaperSizeByName(value)) {
      Fail("paper: expected " + KnownPaperSizes() + ", not \"" + std::string(value) + "\"");
    }
    settings.paper = std::string(value);
  } else if (key == "orientation") {
    if (value != "portrait" && value != "landscape") {
      Fail("orientation: expected portrait or landscape, not \"" + std::string(value) + "\"");
    }
    settings.landscape = value == "landscape";
  } else if (key == "margins") {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= value.size()) {
      const std::size_t comma = value.find(',', start);
      const auto number = ParseNumber(Trim(value.substr(start, comma - start)));
      if (!number || *number < 0 || *number > 100) {
        Fail("margins: expected four numbers of mm from 0 to 100 (top,right,bottom,left), not \"" +
             std::string(value) + "\"");
      }
      numbers.push_back(*number);
      if (comma == std::string_view::npos) break;
      start = comma + 1;
    }
    if (numbers.size() != 4) {
      Fail("margins: expected four numbers of mm (top,right,bottom,left), not \"" +
           std::string(value) + "\"");
    }
    settings.margins = Margins{numbers[0], numbers[1], numbers[2], numbers[3]};
  } else if (key == "copies") {
    const auto number = ParseNumber(value);
    if (!number || *number < 1 || *number > 99 || *number != static_cast<int>(*number)) {
      Fail("copies: expected a whole number from 1 to 99, not \"" + std::string(value) + "\"");
    }
    settings.copies = static_cast<int>(*number);
  } else {
    Fail("unknown print setting \"" + std::string(key) +
         "\"; expected paper, orientation, margins or copies");
  }
}

PrintSettings ParsePrintSettings(std::string_view value) {
  if (!IsPrintSettings(value)) Fail("not print settings of this client: no TAV-PRINTSET 1 line");
  PrintSettings settings;
  std::size_t line_number = 1;
  std::size_t start = value.find('\n');
  while (start != std::string_view::npos) {
    ++start;
    ++line_number;
    const std::size_t end = value.find('\n', start);
    const std::string_view line = Trim(value.substr(start, end - start));
    start = end;
    if (line.empty()) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      Fail(fmt::format("print settings, line {}: expected key=value, found \"{}\"", line_number,
                       line));
    }
    try {
      SetPrintSetting(settings, Trim(line.substr(0, equals)), line.substr(equals + 1));
    } catch (const std::exception& error) {
      Fail(fmt::format("print settings, line {}: {}", line_number, MessageOf(error)));
    }
  }
  return settings;
}

std::string FormatPrintSettings(const PrintSettings& settings) {
  std::string text(kPrintSettingsSignature);
  text += '\n';
  if (settings.paper) text += "paper=" + *settings.paper + '\n';
  if (settings.landscape)
    text += std::string("orientation=") + (*settings.landscape ? "landscape" : "portrait") + '\n';
  if (settings.margins) {
    const Margins& m = *settings.margins;
    text += "margins=" + Number(m.top) + ',' + Number(m.right) + ',' + Number(m.bottom) + ',' +
            Number(m.left) + '\n';
  }
  if (settings.copies) text += "copies=" + std::to_string(*settings.copies) + '\n';
  return text;
}

void MergePrintSettings(PrintSettings& settings, const PrintSettings& overrides) {
  if (overrides.paper) settings.paper = overrides.paper;
  if (overrides.landscape) settings.landscape = overrides.landscape;
  if (overrides.margins) settings.margins = overrides.margins;
  if (overrides.copies) settings.copies = overrides.copies;
}

void ApplyPrintSettings(const PrintSettings& settings, Paper& paper) {
  if (settings.paper) {
    const auto size = PaperSizeByName(*settings.paper);
    paper.width = size->width;
    paper.height = size->height;
  }
  if (settings.landscape) paper.landscape = *settings.landscape;
  if (settings.margins) {
    paper.margin_top = settings.margins->top;
    paper.margin_right = settings.margins->right;
    paper.margin_bottom = settings.margins->bottom;
    paper.margin_left = settings.margins->left;
  }
}

}  // namespace printing
