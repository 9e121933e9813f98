// The layout of a bill type that has no layout document selected: made from the bill's own
// template, as the package reader returns it (GetBillPackage). Head controls marked FPrint sit
// at their form positions (FLeft, FTop, FWidth, FHeight in twips of the form's FFormWidth by
// FFormHeight, scaled to the paper) with their captions and fonts; the entry controls marked
// FPrint make the table in FCtlOrder, with their FHeadCaption and FWidth, and the columns of
// FNeedCount controls are totalled.
#pragma once

#include <string>
#include <vector>

#include "fill_calls.h"
#include "layout.h"

namespace printing {

// Texts of the client's own in the user's language (CHS, CHT or EN; others as CHS).
struct OwnTexts {
  std::string page_of;  // with {page} and {pages}
  std::string carried_forward;
  std::string brought_forward;
  std::string total;
  std::string label_end;  // after a caption: "：", or ": " in English
};
OwnTexts OwnTextsFor(const std::string& language);

// `head_columns` and `entry_columns` are the columns the fill rows have: a looked-up control
// prints its "...Name" column when the rows have one. `paper` is the paper to fit it to.
Layout DefaultLayout(const BillTypeMetadata& bill_type,
                     const std::vector<std::string>& head_columns,
                     const std::vector<std::string>& entry_columns, const std::string& language,
                     const Paper& paper);

}  // namespace printing
