// Conversions with the Automation runtime's semantics (VariantChangeType and VB's CInt, CLng,
// CDbl, CStr, CBool, Val, Format).
//
// Failures raise the runtime's errors: Type mismatch (13) for a value that cannot be converted,
// Overflow (6) for a number outside the target's range, Invalid use of Null (94) for Null where a
// value is needed.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/oleaut/variant.h"

namespace oleaut {

// CInt and CLng: numbers round to the nearest integer with halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4); numeric texts are parsed first ("12" -> 12, "abc" raises 13); True is -1, False 0;
// Empty is 0; Null raises 94.
std::int16_t ToInteger(const Variant& value);
std::int32_t ToLong(const Variant& value);
// CDbl: as above without rounding.
double ToDouble(const Variant& value);
// CDec: exact for Decimal, Integer, Long and numeric texts.
Decimal ToDecimal(const Variant& value);
// CDate: Date as it is, numbers as OLE dates, texts in the ISO form.
Date ToDate(const Variant& value);
// CBool: numbers are True unless 0; "True"/"False" (any case) and numeric texts; Null raises 94.
bool ToBoolean(const Variant& value);
// CStr: numbers in their shortest ordinary form (0.1 -> "0.1", 1E+20 -> "1E+20"), Boolean as
// "True"/"False", Date in the ISO form, Empty as "", Null raises 94; objects and arrays raise 13.
Bstr ToString(const Variant& value);

// VariantChangeType: `value` converted to `type` (Variant leaves it as it is). Used by dispatch
// to coerce arguments to the declared parameter types.
Variant ChangeType(const Variant& value, VarType type);

// Val: the leading number of a text. Blanks (spaces, tabs, line feeds) anywhere in it are
// ignored, so " 1 2" is 12; "1e3" is 1000; " 12abc" is 12; text without a leading number is 0.
double Val(std::u16string_view text);

// Format(n, "000") and friends: `digits` zeros give a zero-padded integer ("007"); a number
// wider than the pattern is written in full.
Bstr FormatZeroPadded(std::int64_t number, int digits);

// Text comparison by exact code units (vbBinaryCompare): negative, 0 or positive.
int CompareBinary(std::u16string_view a, std::u16string_view b) noexcept;

// The shortest text that reads back as exactly `value` ("0.1", "1E+20", "-1.5E-07"), as VB's CStr
// prints doubles.
Bstr DoubleToString(double value);

}  // namespace oleaut
