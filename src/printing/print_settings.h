// The user's print settings of a bill type, as this client stores them through
// clsPrintSetupUpdate.SavePageAndPrintSet and reads them back from
// clsPrintSetupQuery.GetPageAndPrintSet (docs/layout.md, "Print settings"). The value is bytes of
// UTF-8 text: the signature line "TAV-PRINTSET 1", then one "key=value" line per setting:
//
//   paper=A4                 a paper name or WIDTHxHEIGHT in mm
//   orientation=landscape    portrait or landscape
//   margins=10,12,10,12      top,right,bottom,left in mm
//   copies=2                 copies of each bill, 1 to 99
//
// A setting that is not there leaves the layout's own. A value without the signature was made by
// another client and is left alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "layout.h"

namespace printing {

inline constexpr std::string_view kPrintSettingsSignature = "TAV-PRINTSET 1";

struct Margins {
  double top = 0, right = 0, bottom = 0, left = 0;
};

struct PrintSettings {
  std::optional<std::string> paper;
  std::optional<bool> landscape;
  std::optional<Margins> margins;
  std::optional<int> copies;
};

bool IsPrintSettings(std::string_view value);
// Raises naming the line and what was expected.
PrintSettings ParsePrintSettings(std::string_view value);
std::string FormatPrintSettings(const PrintSettings& settings);

// One setting from its text (as a "key=value" line or a command-line option gives it); raises
// naming the key and what was expected.
void SetPrintSetting(PrintSettings& settings, std::string_view key, std::string_view value);
// `overrides` over `settings`.
void MergePrintSettings(PrintSettings& settings, const PrintSettings& overrides);

// The paper of `paper` with the settings' size, orientation and margins.
void ApplyPrintSettings(const PrintSettings& settings, Paper& paper);

}  // namespace printing
