// The errors of the Jet provider. Where Jet itself has an answer (a missing file, a database it
// does not recognise, a missing table, a type mismatch, a syntax error) the error carries Jet's
// number, source and English text, followed by what was actually wrong; what this provider
// cannot run (a join, a function) is reported under its own source, naming the construct.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/oleaut/hresult.h"

namespace ado::jet {

inline constexpr std::u16string_view kJetSource = u"Microsoft JET Database Engine";
inline constexpr std::u16string_view kProviderSource = u"TAV Jet provider";

inline constexpr std::int32_t kJetEFail = oleaut::E_FAIL;
inline constexpr std::int32_t kJetSyntaxError = oleaut::DB_E_ERRORSINCOMMAND;
inline constexpr std::int32_t kJetNoTable = oleaut::DB_E_NOTABLE;
inline constexpr std::int32_t kJetMissingParameter = oleaut::DB_E_PARAMNOTOPTIONAL;
inline constexpr std::int32_t kJetTypeMismatch = oleaut::DB_E_CANTCONVERTVALUE;

// `path` as the user gave it; `detail` says what was wrong, when Jet's text does not.
[[noreturn]] void RaiseFileNotFound(std::u16string_view path);
[[noreturn]] void RaiseCannotOpen(std::u16string_view path, std::u16string_view detail);
[[noreturn]] void RaiseNotAValidPath(std::u16string_view path, std::u16string_view detail);
[[noreturn]] void RaiseUnrecognizedFormat(std::u16string_view path, std::u16string_view detail);
[[noreturn]] void RaiseNoSuchTable(std::u16string_view name);
[[noreturn]] void RaiseUnknownName(std::u16string_view name, std::u16string_view table);
[[noreturn]] void RaiseTypeMismatch(std::u16string_view detail);
[[noreturn]] void RaiseSyntaxError(std::u16string_view jet_text, std::u16string_view detail);
[[noreturn]] void RaiseReadOnly(std::u16string_view what);
// A construct this provider does not run, with its position (0-based) in the statement.
[[noreturn]] void RaiseNotSupported(std::u16string_view construct, std::size_t position,
                                    std::u16string_view statement);

}  // namespace ado::jet
