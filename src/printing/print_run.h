// A print run as the print client makes it, through the component's members called by name:
// GetBillTypeInfo and GetBillPackage, GetNotePrintData for the user's selected template,
// GetPageAndPrintSet, GetHeadFillData and GetEntryFillData (the selection filled in slices, its
// order kept), GetBillPrintCount and the pictures; the bills drawn one group of pages each in the
// order of selection; the prints counted only once the output is whole and in place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "print_error.h"

namespace printing {

struct PrintRequest {
  std::string dsn = "demo";
  std::int32_t bill_type = 0;
  std::vector<std::int32_t> bill_ids;  // in the order of selection
  std::string sub_type;                // GetNotePrintData's FSubType
  bool sum = false;                    // summary printing of the head rows
  std::optional<int> copies;           // over the user's print settings
  std::filesystem::path pdf;           // the PDF to write, unless png_folder is given
  std::optional<std::filesystem::path> png_folder;
  double png_dpi = 150;
  bool preview = false;     // counts nothing
  std::size_t slice = 100;  // bills filled by one GetEntryFillData call
};

struct PrintServices {
  // The object of a ProgID, to be called by name.
  std::function<com::Ptr<com::Dispatch>(const oleaut::Bstr& progid)> activate;
  // Counts one print of each bill (the same code as `tavprint bill count --raise`); called once,
  // after the output is in place, never for a preview.
  std::function<void(const std::string& dsn, std::int32_t bill_type,
                     const std::vector<std::int32_t>& bill_ids)>
      count;
  // How many bills of how many are drawn so far.
  std::function<void(std::size_t done, std::size_t total)> progress;
  WarningSink warn = WarnToStderr;
};

struct PrintOutcome {
  std::string layout_note;  // which layout was used, and why
  std::size_t bills = 0;
  int pages = 0;
  std::filesystem::path output;
  bool counted = false;
  // Time in the component's calls (fills, counts, pictures) and in everything else (layout,
  // drawing, encoding, writing), CPU seconds of this thread.
  double call_seconds = 0;
  double render_seconds = 0;
};

PrintOutcome RunPrint(const PrintRequest& request, const PrintServices& services);

}  // namespace printing
