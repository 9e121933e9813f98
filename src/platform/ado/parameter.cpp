#include "platform/ado/parameter.h"

#include <algorithm>
#include <utility>

#include "platform/ado/collection_items.h"
#include "platform/ado/errors.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/default_value.h"
#include "platform/oleaut/numbered_texts.h"

namespace ado {

Parameters::~Parameters() = default;

Parameter::~Parameter() = default;
namespace {

constexpr std::u16string_view kSource = u"ADODB.Parameter";
constexpr std::u16string_view kCollectionSource = u"ADODB.Parameters";
constexpr std::size_t kNoPosition = static_cast<std::size_t>(-1);

bool IsText(DataTypeEnum type) noexcept {
  switch (type) {
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adLongVarChar:
    case adVarWChar:
    case adLongVarWChar:
      return true;
    default:
      return false;
  }
}

bool IsBinary(DataTypeEnum type) noexcept {
  return type == adBinary || type == adVarBinary || type == adLongVarBinary;
}

// Variable-length types, whose size must be declared before the parameter is appended.
bool NeedsSize(DataTypeEnum type) noexcept {
  return (IsText(type) && type != adBSTR) || IsBinary(type);
}

oleaut::VarType StoredType(DataTypeEnum type) noexcept {
  switch (type) {
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
      return oleaut::VarType::Integer;
    case adInteger:
      return oleaut::VarType::Long;
    case adSingle:
    case adDouble:
      return oleaut::VarType::Double;
    case adCurrency:
    case adBigInt:
    case adDecimal:
    case adNumeric:
      return oleaut::VarType::Decimal;
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return oleaut::VarType::Date;
    case adBoolean:
      return oleaut::VarType::Boolean;
    default:
      if (IsText(type)) return oleaut::VarType::String;
      if (IsBinary(type)) return oleaut::VarType::ByteArray;
      return oleaut::VarType::Variant;
  }
}

[[noreturn]] void RaiseOutOfRange() {
  oleaut::RaiseVbError(oleaut::kOverflow);
}

oleaut::Variant ConvertTo(const oleaut::Variant& value, DataTypeEnum type) {
  switch (type) {
    case adSmallInt:
      return oleaut::ToInteger(value);
    case adTinyInt: {
      const std::int16_t number = oleaut::ToInteger(value);
      if (number < -128 || number > 127) RaiseOutOfRange();
      return number;
    }
    case adUnsignedTinyInt: {
      const std::int16_t number = oleaut::ToInteger(value);
      if (number < 0 || number > 255) RaiseOutOfRange();
      return number;
    }
    case adInteger:
      return oleaut::ToLong(value);
    case adSingle:
    case adDouble:
      return oleaut::ToDouble(value);
    case adBigInt: {
      const auto number = oleaut::ToDecimal(value).ToInt64();
      if (!number) RaiseOutOfRange();
      return oleaut::Decimal::FromInt64(*number);
    }
    case adCurrency: {
      const auto money = oleaut::ToDecimal(value).Rescale(4);
      if (!money) RaiseOutOfRange();
      return *money;
    }
    case adDecimal:
    case adNumeric:
      return oleaut::ToDecimal(value);
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return oleaut::ToDate(value);
    case adBoolean:
      return oleaut::ToBoolean(value);
    default:
      if (IsText(type)) return oleaut::ToString(value);
      // Binary parameters take byte arrays only: turning text into bytes would have to guess
      // an encoding.
      oleaut::RaiseVbError(oleaut::kTypeMismatch, u"binary data must be a byte array");
  }
}

}  // namespace

// The data types a parameter may have, by ADO's names.
constexpr oleaut::NumberedText kDataTypeNames[] = {
    {adEmpty, u"adEmpty"},
    {adSmallInt, u"adSmallInt"},
    {adInteger, u"adInteger"},
    {adSingle, u"adSingle"},
    {adDouble, u"adDouble"},
    {adCurrency, u"adCurrency"},
    {adDate, u"adDate"},
    {adBSTR, u"adBSTR"},
    {adBoolean, u"adBoolean"},
    {adVariant, u"adVariant"},
    {adDecimal, u"adDecimal"},
    {adTinyInt, u"adTinyInt"},
    {adUnsignedTinyInt, u"adUnsignedTinyInt"},
    {adBigInt, u"adBigInt"},
    {adBinary, u"adBinary"},
    {adChar, u"adChar"},
    {adWChar, u"adWChar"},
    {adNumeric, u"adNumeric"},
    {adDBDate, u"adDBDate"},
    {adDBTime, u"adDBTime"},
    {adDBTimeStamp, u"adDBTimeStamp"},
    {adVarChar, u"adVarChar"},
    {adLongVarChar, u"adLongVarChar"},
    {adVarWChar, u"adVarWChar"},
    {adLongVarWChar, u"adLongVarWChar"},
    {adVarBinary, u"adVarBinary"},
    {adLongVarBinary, u"adLongVarBinary"},
};

std::u16string_view DataTypeName(std::int32_t type) noexcept {
  return oleaut::TextOfNumber(kDataTypeNames, type);
}

void Parameter::SetType(std::int32_t type) {
  if (DataTypeName(type).empty()) {
    RaiseAdoError(kAdoWrongArguments, kSource,
                  Describe(kNoPosition) + u" cannot have type " + NumberText(type) +
                      u": it is not a data type of this provider.");
  }
  const DataTypeEnum old_type = std::exchange(type_, static_cast<DataTypeEnum>(type));
  try {
    value_ = Converted(value_, kNoPosition);
  } catch (...) {
    type_ = old_type;
    throw;
  }
}

void Parameter::SetDirection(std::int32_t direction) {
  if (direction < adParamUnknown || direction > adParamReturnValue) {
    RaiseAdoError(
        kAdoWrongArguments, kSource,
        Describe(kNoPosition) + u" cannot have direction " + NumberText(direction) + u'.');
  }
  direction_ = static_cast<ParameterDirectionEnum>(direction);
}

void Parameter::SetSize(std::int32_t size) {
  if (size < 0) {
    RaiseAdoError(
        kAdoWrongArguments, kSource,
        Describe(kNoPosition) + u" cannot have the negative size " + NumberText(size) + u'.');
  }
  size_ = size;
}

void Parameter::SetValue(oleaut::Variant value) {
  value_ = Converted(std::move(value), kNoPosition);
}

std::u16string Parameter::Describe(std::size_t position) const {
  std::u16string text = u"Parameter";
  if (!name_.empty()) text += u" '" + name_ + u'\'';
  if (position != kNoPosition) {
    text += u" at position " + NumberText(static_cast<std::int64_t>(position));
  }
  return text;
}

oleaut::Variant Parameter::Converted(oleaut::Variant value, std::size_t position) const {
  if (value.IsMissing()) return {};
  // A Field given as a value stands for its value, as in VB's `p.Value = rs!FData`.
  if (value.IsObject()) value = oleaut::ValueOf(value);
  const oleaut::VarType target = StoredType(type_);
  if (value.IsEmpty() || value.IsNull() || target == oleaut::VarType::Variant ||
      value.Type() == target) {
    return value;
  }
  try {
    return ConvertTo(value, type_);
  } catch (const oleaut::ComError& error) {
    RaiseAdoError(kAdoDataConversion, kSource,
                  Describe(position) + u" is " + std::u16string(DataTypeName(type_)) + u"; a " +
                      std::u16string(oleaut::VarTypeName(value.Type())) +
                      u" value cannot be converted to it (" + error.Description() + u").");
  }
}

void Parameter::CheckDefinition(std::size_t position) const {
  if (type_ == adEmpty) {
    RaiseAdoError(kAdoParameterImproperlyDefined, kSource,
                  Describe(position) + u" has no data type.");
  }
  if (NeedsSize(type_) && size_ == 0) {
    RaiseAdoError(
        kAdoParameterImproperlyDefined, kSource,
        Describe(position) + u" is " + std::u16string(DataTypeName(type_)) + u" and needs a size.");
  }
}

void Parameter::CheckSize(const oleaut::Variant& value, std::size_t position) const {
  std::size_t length = 0;
  std::u16string_view unit;
  if (IsText(type_) && type_ != adBSTR && value.IsString()) {
    length = value.AsString().size();
    unit = u" characters";
  } else if (IsBinary(type_) && value.Type() == oleaut::VarType::ByteArray) {
    length = value.AsByteArray().size();
    unit = u" bytes";
  } else {
    return;
  }
  if (length <= static_cast<std::size_t>(size_)) return;
  RaiseAdoError(kAdoWrongArguments, kSource,
                Describe(position) + u" is " + std::u16string(DataTypeName(type_)) + u" of size " +
                    NumberText(size_) + u", but its value is " +
                    NumberText(static_cast<std::int64_t>(length)) + std::u16string(unit) +
                    u" long; it is not cut to fit.");
}

ParameterValue Parameter::TakeForBinding(std::size_t position, const oleaut::Variant* value) {
  CheckDefinition(position);
  if (direction_ != adParamInput && direction_ != adParamUnknown) {
    RaiseAdoError(kAdoFeatureNotAvailable, kSource,
                  Describe(position) +
                      u" is an output or return-value parameter; only input parameters can be "
                      u"bound.");
  }
  ParameterValue bound{type_, direction_, size_, {}};
  if (value) {
    bound.value = Converted(*value, position);
    CheckSize(bound.value, position);
  } else {
    CheckSize(value_, position);
    bound.value = std::move(value_);
    value_ = oleaut::kMissing;  // marks the value as lent until Restore
  }
  return bound;
}

void Parameter::Restore(ParameterValue&& bound) noexcept {
  if (value_.IsMissing()) value_ = std::move(bound.value);
}

void Parameters::Append(com::Ptr<Parameter> parameter) {
  if (!parameter) {
    RaiseAdoError(kAdoWrongArguments, kCollectionSource, u"Append was given Nothing.");
  }
  if (std::find(items_.begin(), items_.end(), parameter) != items_.end()) {
    RaiseAdoError(kAdoWrongArguments, kCollectionSource,
                  u"This parameter object is already in the collection.");
  }
  parameter->CheckDefinition(items_.size());
  items_.push_back(std::move(parameter));
}

void Parameters::Delete(std::int32_t index) {
  Item(index);
  items_.erase(items_.begin() + index);
}

com::Ptr<Parameter> Parameters::Item(std::int32_t index) const {
  return ItemAtPosition(items_, index, kCollectionSource, u"parameter");
}

com::Ptr<Parameter> Parameters::Item(std::u16string_view name) const {
  for (const auto& item : items_) {
    if (oleaut::EqualsNoCase(item->Name(), name)) return item;
  }
  RaiseNoItemNamed(kCollectionSource, u"parameter", name);
}

com::Ptr<Parameter> Parameters::Item(const oleaut::Variant& index) const {
  return ItemByKey(
      index, kCollectionSource, u"parameter", [&](std::u16string_view name) { return Item(name); },
      [&](std::int32_t position) { return Item(position); });
}

}  // namespace ado
