// Conversions with the Automation runtime's semantics (VariantChangeType and VB's CInt, CLng,
// CDbl, CStr, CBool, Val, Format).
//
// Failures raise the runtime's errors: Type mismatch (13) for a value that cannot be converted,
// Overflow (6) for a number outside the target's range, Invalid use of Null (94) for Null where a
// value is needed, Object variable not set (91) for Nothing. An object that implements
// HasDefaultValue (default_value.h) stands for its default value, as VB reads CStr(field) as
// CStr(field.Value); any other object raises 13.
//
// Numeric texts are read as the runtime reads them: blanks around, a sign, thousands commas,
// a fraction, an exponent, or "&H"/"&O" numbers. Dates are read in the ISO forms only: the
// locale's short-date forms are ambiguous ("01/02/2024"), so they raise 13 rather than guess.
#pragma once

#include <cstdint>
#include <optional>
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
// CStr: numbers in their shortest ordinary form (0.1 -> "0.1", 1E+20 -> "1E+20"), Decimal without
// the trailing zeros of its scale (1.50 -> "1.5"), Boolean as "True"/"False", Date as
// "YYYY-MM-DD" at midnight and "YYYY-MM-DD HH:MM:SS[.fff]" otherwise, Empty as "", Null raises 94;
// arrays and objects without a default value raise 13.
Bstr ToString(const Variant& value);

// The number a Boolean (True is -1), Integer, Long, Double, Decimal (rounded to a double) or Date
// (its OLE value) holds; none for Empty, texts and the other types, which each conversion treats
// in its own way.
std::optional<double> NumberOf(const Variant& value);

// VariantChangeType: `value` converted to `type` (Variant leaves it as it is). Used by dispatch
// to coerce arguments to the declared parameter types. Object takes only objects (Nothing
// included); Byte() takes byte arrays and texts (as their UTF-16LE code units); Missing fits only
// Variant.
Variant ChangeType(const Variant& value, VarType type);

// Val: the leading number of a text. Blanks (spaces, tabs, line feeds) anywhere in it are
// ignored, so " 1 2" is 12; "1e3" is 1000; " 12abc" is 12; text without a leading number is 0;
// "&H10" is 16. A number beyond the range of a double raises Overflow (6).
double Val(std::u16string_view text);

// Format(n, "000") and friends: `digits` zeros give a zero-padded integer ("007"); a number
// wider than the pattern is written in full; more than 255 digits raise 5.
Bstr FormatZeroPadded(std::int64_t number, int digits);

// Text comparison by exact code units (vbBinaryCompare): negative, 0 or positive.
int CompareBinary(std::u16string_view a, std::u16string_view b) noexcept;

// The shortest text that reads back as exactly `value` ("0.1", "1E+20", "-1.5E-07"), laid out as
// VB's CStr lays out doubles: scientific below 1E-04 and from 1E+15 on. (CStr itself keeps only
// 15 digits; keeping all that are needed means no value changes on its way through a text.)
Bstr DoubleToString(double value);

}  // namespace oleaut
