// ComError: the one exception type for COM errors, and the standard Automation errors.
//
// A COM error carries an HRESULT, the source that raised it, a description, and an optional help
// file and context, like an IErrorInfo. Errors of the Automation runtime (Type mismatch, Overflow,
// ...) and of ADO (3021, 3265, ...) are HRESULTs of the form 0x800A0000 | number, so their
// VB-style number is the low word.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace oleaut {

class ComError : public std::exception {
 public:
  ComError(std::int32_t hresult, std::u16string source, std::u16string description,
           std::u16string help_file = {}, std::int32_t help_context = 0);
  ComError(const ComError&) = default;
  ComError(ComError&&) noexcept = default;
  ComError& operator=(const ComError&) = default;
  ComError& operator=(ComError&&) noexcept = default;
  ~ComError() override;

  // The HRESULT, e.g. 0x800A000D for "Type mismatch".
  std::int32_t Number() const noexcept { return hresult_; }
  // The VB-style error number: the low word of a control-facility HRESULT (13 for 0x800A000D),
  // otherwise the HRESULT itself.
  std::int32_t VbNumber() const noexcept;
  const std::u16string& Source() const noexcept { return source_; }
  const std::u16string& Description() const noexcept { return description_; }
  const std::u16string& HelpFile() const noexcept { return help_file_; }
  std::int32_t HelpContext() const noexcept { return help_context_; }

  // UTF-8: "<description> (<source>, 0x800A000D)".
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  std::int32_t hresult_;
  std::u16string source_;
  std::u16string description_;
  std::u16string help_file_;
  std::int32_t help_context_;
  std::string what_;
};

// The HRESULT of a VB-style (control facility) error number.
constexpr std::int32_t VbHresult(std::int32_t number) noexcept {
  return static_cast<std::int32_t>(0x800A0000U | (static_cast<std::uint32_t>(number) & 0xFFFFU));
}

// Numbers of the Automation runtime errors the component and its stand-ins raise.
enum VbError : std::int32_t {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kObjectVariableNotSet = 91,
  kInvalidUseOfNull = 94,
  kObjectRequired = 424,
  kNoSuchMember = 438,  // Object doesn't support this property or method
  kKeyAlreadyAssociated = 457,
};

// The runtime's usual description of a VB error number ("Type mismatch" for 13).
std::u16string_view VbErrorDescription(std::int32_t number) noexcept;

// Raises the standard Automation error `number` with its usual description; `detail`, when
// given, is appended after ": " so that the message also says what was wrong.
[[noreturn]] void RaiseVbError(std::int32_t number, std::u16string_view detail = {},
                               std::u16string_view source = u"TAVMPrintExport");

}  // namespace oleaut
