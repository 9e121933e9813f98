// Helpers that reach the thread's data-access context and the system profile.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/data_context.h"

namespace frame {

// The thread's current data-access context (the globals object is created on first use).
com::Ptr<tavglobal::DataContext> GetDataContext();

// The industry edition's version from the system profile ('IC', 'IndustryVersion') of the data
// source the calling member has bound: the leading number of its value, rounded to a 16-bit
// integer with halves to even. Any failure (no table, no row, Null, not a number, out of range)
// gives 0.
std::int16_t GetIndustryVersion() noexcept;

// The language variant of a name column: "FName" with "cht" gives "FName_CHT", with "EN"
// "FName_EN", with any other language "FName".
oleaut::Bstr GetLangFieldName(std::u16string_view baseName, std::u16string_view language) noexcept;

}  // namespace frame
