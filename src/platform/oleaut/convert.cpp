#include "platform/oleaut/convert.h"

#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/default_value.h"
#include "platform/oleaut/number_text.h"

namespace oleaut {
namespace {

// OLE dates from 0100-01-01 to the end of 9999-12-31.
constexpr double kMinOleDate = -657434.0;
constexpr double kMaxOleDate = 2958466.0;

Bstr Quoted(std::u16string_view text) {
  constexpr std::size_t kShown = 40;  // enough to recognise the value in a message
  Bstr out = u"\"";
  out += text.substr(0, kShown);
  if (text.size() > kShown) out += u"...";
  out += u"\"";
  return out;
}

[[noreturn]] void RaiseCannotConvert(const Variant& value, std::u16string_view target) {
  Bstr detail;
  if (value.IsString()) {
    detail = u"the text " + Quoted(value.AsString());
  } else if (value.IsMissing()) {
    detail = u"a missing argument";
  } else if (value.IsObject()) {
    detail = u"an object without a default value";
  } else {
    detail = u"a value of type " + Bstr(VarTypeName(value.Type()));
  }
  detail += u" cannot be converted to ";
  detail += target;
  RaiseVbError(kTypeMismatch, detail);
}

[[noreturn]] void RaiseOutOfRange(double number, std::u16string_view target) {
  RaiseVbError(kOverflow, DoubleToString(number) + u" is outside the range of " + Bstr(target));
}

// The value conversions work on: an object stands for its default value; Null and Nothing are
// refused here so that every conversion reports them alike.
Variant Prepare(const Variant& value, std::u16string_view target) {
  if (value.IsNull())
    RaiseVbError(kInvalidUseOfNull, u"Null cannot be converted to " + Bstr(target));
  if (value.IsNothing()) {
    RaiseVbError(kObjectVariableNotSet, u"Nothing cannot be converted to " + Bstr(target));
  }
  Variant resolved = ValueOf(value);
  if (resolved.IsNull()) {
    RaiseVbError(kInvalidUseOfNull, u"Null cannot be converted to " + Bstr(target));
  }
  if (resolved.IsObject()) RaiseCannotConvert(resolved, target);
  return resolved;
}

double TextToDouble(const Bstr& text, std::u16string_view target) {
  const std::optional<double> number = detail::ParseNumber(text);
  if (!number) RaiseCannotConvert(Variant(text), target);
  if (std::isinf(*number)) RaiseVbError(kOverflow, u"the text " + Quoted(text) + u" is too large");
  return *number;
}

// Halves go to the even neighbour, as the runtime rounds to integers.
double RoundHalfEven(double x) {
  const double floor = std::floor(x);
  const double diff = x - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

// An integer of [low, high], rounded from whatever number `value` holds.
std::int64_t ToBoundedInteger(const Variant& input, std::int64_t low, std::int64_t high,
                              std::u16string_view target) {
  const Variant value = Prepare(input, target);
  double number = 0;
  if (value.IsEmpty()) return 0;
  if (value.Type() == VarType::Decimal) {
    const std::optional<std::int64_t> rounded = value.AsDecimal().ToInt64();
    if (!rounded || *rounded < low || *rounded > high) {
      RaiseVbError(kOverflow,
                   value.AsDecimal().ToString() + u" is outside the range of " + Bstr(target));
    }
    return *rounded;
  }
  if (value.IsString()) {
    number = TextToDouble(value.AsString(), target);
  } else if (const auto held = NumberOf(value)) {
    number = *held;
  } else {
    RaiseCannotConvert(value, target);
  }
  const double rounded = RoundHalfEven(number);
  if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))) {
    RaiseOutOfRange(number, target);
  }
  return static_cast<std::int64_t>(rounded);
}

Bstr DateToString(Date date) {
  // Like the runtime: a date without a time shows no time; milliseconds only when there are any.
  const CalendarFields f = date.ToFields();
  if (f.hour == 0 && f.minute == 0 && f.second == 0 && f.millisecond == 0) {
    return date.ToIsoDateString();
  }
  std::string text = fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", f.year, f.month, f.day,
                                 f.hour, f.minute, f.second);
  if (f.millisecond != 0) text += fmt::format(".{:03}", f.millisecond);
  return FromUtf8(text);
}

Bstr DecimalToString(const Decimal& value) {
  // The runtime writes a decimal without the trailing zeros of its scale (1.50 -> "1.5").
  Bstr text = value.ToString();
  if (value.Scale() > 0) {
    const auto last = text.find_last_not_of(u'0');
    text.erase(text[last] == u'.' ? last : last + 1);
    if (text == u"-0") text = u"0";
  }
  return text;
}

ByteArray TextToBytes(const Bstr& text) {
  // VB assigns a String to a Byte() as its UTF-16LE code units.
  ByteArray bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

}  // namespace

std::optional<double> NumberOf(const Variant& value) {
  switch (value.Type()) {
    case VarType::Boolean:
      return value.AsBoolean() ? -1.0 : 0.0;
    case VarType::Integer:
      return value.AsInteger();
    case VarType::Long:
      return value.AsLong();
    case VarType::Double:
      return value.AsDouble();
    case VarType::Decimal:
      return value.AsDecimal().ToDouble();
    case VarType::Date:
      return value.AsDate().OleValue();
    default:
      return std::nullopt;
  }
}

std::int16_t ToInteger(const Variant& value) {
  return static_cast<std::int16_t>(ToBoundedInteger(value, std::numeric_limits<std::int16_t>::min(),
                                                    std::numeric_limits<std::int16_t>::max(),
                                                    u"Integer"));
}

std::int32_t ToLong(const Variant& value) {
  return static_cast<std::int32_t>(ToBoundedInteger(value, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max(),
                                                    u"Long"));
}

double ToDouble(const Variant& input) {
  const Variant value = Prepare(input, u"Double");
  if (value.IsEmpty()) return 0.0;
  if (value.IsString()) return TextToDouble(value.AsString(), u"Double");
  if (const auto number = NumberOf(value)) return *number;
  RaiseCannotConvert(value, u"Double");
}

Decimal ToDecimal(const Variant& input) {
  const Variant value = Prepare(input, u"Decimal");
  switch (value.Type()) {
    case VarType::Empty:
      return Decimal();
    case VarType::Boolean:
      return Decimal::FromInt64(value.AsBoolean() ? -1 : 0);
    case VarType::Integer:
      return Decimal::FromInt64(value.AsInteger());
    case VarType::Long:
      return Decimal::FromInt64(value.AsLong());
    case VarType::Double:
      return Decimal::FromDouble(value.AsDouble());
    case VarType::Decimal:
      return value.AsDecimal();
    case VarType::Date:
      return Decimal::FromDouble(value.AsDate().OleValue());
    case VarType::String: {
      const Bstr& text = value.AsString();
      if (const auto plain = detail::PlainDecimalText(text)) {
        if (auto exact = Decimal::Parse(*plain)) return *exact;
        RaiseVbError(kOverflow, u"the text " + Quoted(text) + u" is too large for a Decimal");
      }
      // "&H10" and the like: not decimal digits, but still a number.
      return Decimal::FromDouble(TextToDouble(text, u"Decimal"));
    }
    default:
      RaiseCannotConvert(value, u"Decimal");
  }
}

Date ToDate(const Variant& input) {
  const Variant value = Prepare(input, u"Date");
  if (value.IsEmpty()) return Date();
  if (value.Type() == VarType::Date) return value.AsDate();
  if (value.IsString()) {
    if (const auto date = Date::ParseIso(value.AsString())) return *date;
    RaiseCannotConvert(value, u"Date");
  }
  const std::optional<double> held = NumberOf(value);
  if (!held) RaiseCannotConvert(value, u"Date");
  const double number = *held;
  if (!(number > kMinOleDate - 1.0 && number < kMaxOleDate)) RaiseOutOfRange(number, u"Date");
  return Date(number);
}

bool ToBoolean(const Variant& input) {
  const Variant value = Prepare(input, u"Boolean");
  if (value.IsEmpty()) return false;
  if (value.Type() == VarType::Decimal) return !value.AsDecimal().IsZero();
  if (value.IsString()) {
    const Bstr trimmed = Trim(value.AsString());
    if (EqualsNoCase(trimmed, u"True")) return true;
    if (EqualsNoCase(trimmed, u"False")) return false;
    return TextToDouble(value.AsString(), u"Boolean") != 0.0;
  }
  if (const auto number = NumberOf(value)) return *number != 0.0;
  RaiseCannotConvert(value, u"Boolean");
}

Bstr ToString(const Variant& input) {
  const Variant value = Prepare(input, u"String");
  switch (value.Type()) {
    case VarType::Empty:
      return {};
    case VarType::Boolean:
      return value.AsBoolean() ? u"True" : u"False";
    case VarType::Integer:
      return FromUtf8(std::to_string(value.AsInteger()));
    case VarType::Long:
      return FromUtf8(std::to_string(value.AsLong()));
    case VarType::Double:
      return DoubleToString(value.AsDouble());
    case VarType::Decimal:
      return DecimalToString(value.AsDecimal());
    case VarType::Date:
      return DateToString(value.AsDate());
    case VarType::String:
      return value.AsString();
    default:
      RaiseCannotConvert(value, u"String");
  }
}

Variant ChangeType(const Variant& value, VarType type) {
  if (type == VarType::Variant || value.Type() == type) return value;
  switch (type) {
    case VarType::Integer:
      return ToInteger(value);
    case VarType::Long:
      return ToLong(value);
    case VarType::Double:
      return ToDouble(value);
    case VarType::Decimal:
      return ToDecimal(value);
    case VarType::Date:
      return ToDate(value);
    case VarType::String:
      return ToString(value);
    case VarType::Boolean:
      return ToBoolean(value);
    case VarType::Object:
      if (value.IsNull()) RaiseVbError(kInvalidUseOfNull, u"Null cannot be passed as an object");
      RaiseVbError(kTypeMismatch, u"an object is required, not a value of type " +
                                      Bstr(VarTypeName(value.Type())));
    case VarType::ByteArray: {
      const Variant resolved = Prepare(value, u"Byte()");
      if (resolved.Type() == VarType::ByteArray) return resolved;
      if (resolved.IsString()) return TextToBytes(resolved.AsString());
      RaiseCannotConvert(resolved, u"Byte()");
    }
    case VarType::Empty:
      return Variant();
    case VarType::Null:
      return kNull;
    case VarType::Error:
    case VarType::Variant:
      break;  // Variant and Missing (the one Error value) returned above
  }
  RaiseVbError(kTypeMismatch, u"no conversion from " + Bstr(VarTypeName(value.Type())) + u" to " +
                                  Bstr(VarTypeName(type)));
}

}  // namespace oleaut
