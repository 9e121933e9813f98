#include "platform/ado/errors.h"

#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/numbered_texts.h"
#include "platform/oleaut/text.h"

namespace ado {

namespace {

constexpr oleaut::NumberedText kAdoErrorDescriptions[] = {
    {kAdoWrongArguments,
     u"Arguments are of the wrong type, are out of acceptable range, or are in conflict "
     u"with one another."},
    {kAdoBofOrEof,
     u"Either BOF or EOF is True, or the current record has been deleted. Requested "
     u"operation requires a current record."},
    {kAdoNotAllowedInContext, u"Operation is not allowed in this context."},
    {kAdoCloseInTransaction,
     u"Connection object cannot be explicitly closed while in a transaction."},
    {kAdoFeatureNotAvailable,
     u"Object or provider is not capable of performing requested operation."},
    {kAdoItemNotFound,
     u"Item cannot be found in the collection corresponding to the requested name or "
     u"ordinal."},
    {kAdoDataConversion, u"Application uses a value of the wrong type for the current operation."},
    {kAdoObjectClosed, u"Operation is not allowed when the object is closed."},
    {kAdoObjectOpen, u"Operation is not allowed when the object is open."},
    {kAdoParameterImproperlyDefined,
     u"Parameter object is improperly defined. Inconsistent or incomplete information "
     u"was provided."},
    {kAdoInvalidConnection,
     u"The connection cannot be used to perform this operation. It is either closed or "
     u"invalid in this context."},
};

}  // namespace

std::u16string_view AdoErrorDescription(std::int32_t number) noexcept {
  return oleaut::TextOfNumber(kAdoErrorDescriptions, number, u"Unspecified ADO error.");
}

void RaiseAdoError(std::int32_t number, std::u16string_view source, std::u16string_view detail) {
  std::u16string description(AdoErrorDescription(number));
  if (!detail.empty()) {
    description += u' ';
    description += detail;
  }
  throw oleaut::ComError(oleaut::VbHresult(number), std::u16string(source), std::move(description));
}

std::string DescribeWhere(std::u16string_view statement, std::string_view engine_text,
                          std::u16string_view data_source) {
  std::string text;
  if (!statement.empty()) {
    text += " while running \"" + oleaut::ToUtf8(statement) + "\"";
    if (!engine_text.empty()) text += " (as \"" + std::string(engine_text) + "\")";
  } else if (!engine_text.empty()) {
    text += " while running \"" + std::string(engine_text) + "\"";
  }
  if (!data_source.empty()) text += " on " + oleaut::ToUtf8(data_source);
  return text;
}

std::u16string NumberText(std::int64_t number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

}  // namespace ado
