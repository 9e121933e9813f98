// Checks of the texts that callers and the template structure hand in to be spliced into a
// statement as they are (table, column and key names, id lists, key values, computed columns):
// each must be what it is said to be, so that no such text can change what the statement does.
// A text that passes is spliced unchanged, so valid callers see no difference; one that does not
// raises Invalid procedure call or argument (5) from `source`, naming `what` and the text, before
// any statement runs.
#pragma once

#include <string_view>

#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// How a name may be written where it is spliced.
enum class SqlNameForm {
  kOnePart,    // one name: a column or result name that follows "t001." or "AS"
  kQualified,  // up to four names joined by dots: a table, or a column that stands alone
};

// Whether `text`, blanks around allowed, is a name: a plain identifier (a letter, _, @ or # first,
// then letters, digits, _, @, # or $; letters beyond ASCII included) or a bracketed one ([any
// text, with ]] for ]), or, in the qualified form, such names joined by dots (dbo.ICStockBill,
// [db]..[t]).
bool IsSqlName(std::u16string_view text, SqlNameForm form);
// Whether `text`, blanks around allowed, is a number (12, -3.5, 1e3) or exactly one text literal
// ('A''B', N'甲').
bool IsSqlLiteral(std::u16string_view text);
// Whether `text` is an arithmetic expression: names (dots allowed), numbers and text literals
// joined by + - * / %, with signs, parentheses and blanks: no function call, no comment and no two
// operands side by side, so that no keyword can act.
bool IsSqlArithmetic(std::u16string_view text);

// Whether `text` is one plain identifier as it stands (no brackets, no blanks).
bool IsPlainSqlName(std::u16string_view text);
// A name the statement takes from data as it stands when it is a plain identifier, and otherwise
// in brackets (] doubled), so that it is always one name.
oleaut::Bstr SqlNameText(std::u16string_view name);

// The item `key` of the caller's dictionary `what`, read as text (a missing key, Empty and Null
// read as the empty text), and checked as below. A dictionary that is Nothing raises Object
// variable not set (91).
//
// A name in the qualified form (IsSqlName).
oleaut::Bstr SqlNameItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                         std::u16string_view key, std::u16string_view source);
// One or more whole numbers separated by commas, blanks allowed around each.
oleaut::Bstr IdListItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                        std::u16string_view key, std::u16string_view source);
// A number (12, -3.5, 1e3) or exactly one text literal ('A''B', N'甲'), blanks allowed around.
oleaut::Bstr SqlLiteralItem(const com::Ptr<vdl::Dictionary>& data, std::u16string_view what,
                            std::u16string_view key, std::u16string_view source);

// Raises the error of a text that is not what it should be: "<what> '<text>' is not <expected>;
// nothing was run".
[[noreturn]] void RefuseSqlText(std::u16string_view what, std::u16string_view text,
                                std::u16string_view expected, std::u16string_view source);

// One whole number, blanks allowed around it.
void RequireWholeNumber(std::u16string_view text, std::u16string_view what,
                        std::u16string_view source);

}  // namespace billdata
