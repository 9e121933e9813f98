#include "platform/ado/jet/errors.h"

#include "platform/oleaut/com_error.h"

namespace ado::jet {
namespace {

[[noreturn]] void Raise(std::int32_t hresult, std::u16string_view source, std::u16string text,
                        std::u16string_view detail) {
  if (!detail.empty()) {
    text += u" (";
    text += detail;
    text += u')';
  }
  throw oleaut::ComError(hresult, std::u16string(source), std::move(text));
}

std::u16string Quoted(std::u16string_view text) {
  return u"'" + std::u16string(text) + u"'";
}

}  // namespace

void RaiseFileNotFound(std::u16string_view path) {
  Raise(kJetEFail, kJetSource, u"Could not find file " + Quoted(path) + u".", {});
}

void RaiseCannotOpen(std::u16string_view path, std::u16string_view detail) {
  Raise(kJetEFail, kJetSource,
        u"The Microsoft Jet database engine cannot open the file " + Quoted(path) +
            u".  It is already opened exclusively by another user, or you need permission to "
            u"view its data.",
        detail);
}

void RaiseNotAValidPath(std::u16string_view path, std::u16string_view detail) {
  Raise(kJetEFail, kJetSource,
        Quoted(path) +
            u" is not a valid path.  Make sure that the path name is spelled "
            u"correctly and that you are connected to the server on which the file "
            u"resides.",
        detail);
}

void RaiseUnrecognizedFormat(std::u16string_view path, std::u16string_view detail) {
  Raise(kJetEFail, kJetSource, u"Unrecognized database format " + Quoted(path) + u".", detail);
}

void RaiseNoSuchTable(std::u16string_view name) {
  Raise(kJetNoTable, kJetSource,
        u"The Microsoft Jet database engine cannot find the input table or query " + Quoted(name) +
            u".  Make sure it exists and that its name is spelled correctly.",
        {});
}

void RaiseUnknownName(std::u16string_view name, std::u16string_view table) {
  // Jet takes a name it cannot resolve for a parameter that was not given a value.
  Raise(kJetMissingParameter, kJetSource, u"No value given for one or more required parameters.",
        Quoted(name) + u" is not a column of " + Quoted(table));
}

void RaiseTypeMismatch(std::u16string_view detail) {
  Raise(kJetTypeMismatch, kJetSource, u"Data type mismatch in criteria expression.", detail);
}

void RaiseSyntaxError(std::u16string_view jet_text, std::u16string_view detail) {
  Raise(kJetSyntaxError, kJetSource, std::u16string(jet_text), detail);
}

void RaiseReadOnly(std::u16string_view what) {
  Raise(kJetEFail, kJetSource, u"Cannot update.  Database or object is read-only.",
        std::u16string(what) + u": this provider opens Jet databases read-only");
}

void RaiseNotSupported(std::u16string_view construct, std::size_t position,
                       std::u16string_view statement) {
  const std::string at = std::to_string(position + 1);
  Raise(kJetSyntaxError, kProviderSource,
        std::u16string(construct) + u" at character " + std::u16string(at.begin(), at.end()) +
            u" is not supported by this Jet provider, which reads one table with SELECT, "
            u"column lists, WHERE comparisons (AND, OR, NOT, IS NULL), ORDER BY and TOP",
        u"statement: " + std::u16string(statement));
}

}  // namespace ado::jet
