// The template lookups that serve printing: the body a user prints with, the page settings,
// and the user's assignment rows with the bill-type settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace templates {

// clsPrintSetupQuery.GetCurrNote
com::Ptr<vdl::Dictionary> GetCurrNote(frame::Instance& self, const oleaut::Bstr& sDsn,
                                      std::int32_t fClssTypeId);

// Which step of the lookup's fallback chain found the template that printing uses.
struct PrintTemplateStep {
  std::size_t number = 0;           // from 1; 0 when no step found one
  std::size_t of = 0;               // how many steps the chain has
  std::u16string_view looks_for{};  // what the finding step looks for, in words
};

// clsPrintSetupQuery.GetNotePrintData; `step`, when given, says which step found the template.
com::Ptr<vdl::Dictionary> GetNotePrintData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                           std::int32_t fClassTypeId, const oleaut::Bstr& FSubType,
                                           PrintTemplateStep* step = nullptr);

// clsPrintSetupQuery.GetPageAndPrintSet
com::Ptr<vdl::Dictionary> GetPageAndPrintSet(frame::Instance& self, const oleaut::Bstr& sDsn,
                                             std::int32_t fClassTypeId);

// clsPrintSetupQuery.GetRptNotePrintData; `step` as for GetNotePrintData.
com::Ptr<vdl::Dictionary> GetRptNotePrintData(frame::Instance& self, const oleaut::Bstr& sDsn,
                                              std::int32_t rptId, const oleaut::Bstr& FSubType,
                                              PrintTemplateStep* step = nullptr);

}  // namespace templates
