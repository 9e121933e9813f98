#include "platform/oleaut/com_error.h"

#include <fmt/format.h>

#include "platform/oleaut/hresult.h"
#include "platform/oleaut/numbered_texts.h"
#include "platform/oleaut/text.h"

namespace oleaut {

ComError::ComError(std::int32_t hresult, std::u16string source, std::u16string description,
                   std::u16string help_file, std::int32_t help_context)
    : hresult_(hresult),
      source_(std::move(source)),
      description_(std::move(description)),
      help_file_(std::move(help_file)),
      help_context_(help_context),
      what_(fmt::format("{} ({}, 0x{:08X})", ToUtf8(description_), ToUtf8(source_),
                        static_cast<std::uint32_t>(hresult_))) {}

ComError::~ComError() = default;

std::int32_t ComError::VbNumber() const noexcept {
  const auto h = static_cast<std::uint32_t>(hresult_);
  return (h & 0xFFFF0000U) == 0x800A0000U ? static_cast<std::int32_t>(h & 0xFFFFU) : hresult_;
}

namespace {

constexpr NumberedText kVbErrorDescriptions[] = {
    {kInvalidProcedureCall, u"Invalid procedure call or argument"},
    {kOverflow, u"Overflow"},
    {kSubscriptOutOfRange, u"Subscript out of range"},
    {kTypeMismatch, u"Type mismatch"},
    {kObjectVariableNotSet, u"Object variable or With block variable not set"},
    {kInvalidUseOfNull, u"Invalid use of Null"},
    {kObjectRequired, u"Object required"},
    {kNoSuchMember, u"Object doesn't support this property or method"},
    {kKeyAlreadyAssociated, u"This key is already associated with an element of this collection"},
};

}  // namespace

std::u16string_view VbErrorDescription(std::int32_t number) noexcept {
  return TextOfNumber(kVbErrorDescriptions, number, u"Application-defined or object-defined error");
}

void RaiseVbError(std::int32_t number, std::u16string_view detail, std::u16string_view source) {
  std::u16string description(VbErrorDescription(number));
  if (!detail.empty()) {
    description += u": ";
    description += detail;
  }
  throw ComError(VbHresult(number), std::u16string(source), std::move(description));
}

}  // namespace oleaut
