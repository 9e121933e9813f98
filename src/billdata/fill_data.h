// Bill head and entry data: the rows a print template is filled with, built from the template's
// control descriptions for the bills the caller selected.
#pragma once

#include <cstdint>

#include "frame/instance.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// clsGetData.GetHeadFillData (head_data.cpp)
std::int32_t GetHeadFillData(frame::Instance& self, const oleaut::Bstr& sDsn,
                             const com::Ptr<vdl::Dictionary>& pCondition,
                             const com::Ptr<vdl::Dictionary>& dicStruct, oleaut::Variant& pRetRs,
                             bool SumNotePrint);

// clsGetData.GetEntryFillData (entry_data.cpp)
std::int32_t GetEntryFillData(frame::Instance& self, const oleaut::Bstr& sDsn,
                              const com::Ptr<vdl::Dictionary>& pCondition,
                              const com::Ptr<vdl::Dictionary>& dicStruct, oleaut::Variant& pRetRs);

}  // namespace billdata
