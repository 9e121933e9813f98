// Checks of the texts that callers hand in to be spliced into a statement as they are (table,
// column and key names, id lists, key values): each must be what the caller says it is, so that
// no caller text can change what the statement does. A text that passes is spliced unchanged, so
// valid callers see no difference; one that does not raises Invalid procedure call or argument
// (5) from `source`, naming `what` and the text, before any statement runs.
#pragma once

#include <string_view>

#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// The item `key` of the caller's dictionary `what`, read as text (a missing key, Empty and Null
// read as the empty text), and checked as below. A dictionary that is Nothing raises Object
// variable not set (91).
//
// A plain identifier (a letter, _, @ or # first, then letters, digits, _, @, # or $; letters
// beyond ASCII included) or a bracketed one ([any text, with ]] for ]), or such names joined
// by dots (dbo.ICStockBill, [db]..[t]); blanks around are allowed.
oleaut::Bstr SqlNameItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                         std::u16string_view key, std::u16string_view source);
// One or more whole numbers separated by commas, blanks allowed around each.
oleaut::Bstr IdListItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                        std::u16string_view key, std::u16string_view source);
// A number (12, -3.5, 1e3) or exactly one text literal ('A''B', N'甲'), blanks allowed around.
oleaut::Bstr SqlLiteralItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                            std::u16string_view key, std::u16string_view source);

// One whole number, blanks allowed around it.
void RequireWholeNumber(std::u16string_view text, std::u16string_view what,
                        std::u16string_view source);

}  // namespace billdata
