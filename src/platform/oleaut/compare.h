// Comparison of two Variants as VB's = and < compare them: numbers by value whatever their
// types (Integer 2 equals Double 2.0 and Decimal 2.00), texts by exact code units, Empty as 0
// beside a number and as "" beside a text, Null against anything gives Null.
#pragma once

#include "platform/oleaut/variant.h"

namespace oleaut {

enum class Comparison { Less, Equal, Greater, Null };

// A number beside a text is less than the text (VB's rule for two Variants). Objects stand for
// their default value; other objects, arrays and Missing raise Type mismatch (13).
Comparison Compare(const Variant& a, const Variant& b);

// a = b, with Null counting as not equal.
inline bool ValuesEqual(const Variant& a, const Variant& b) {
  return Compare(a, b) == Comparison::Equal;
}

}  // namespace oleaut
