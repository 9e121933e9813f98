#include "billdata/bill_helpers.h"

#include "billdata/fill_request.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/compare.h"
#include "platform/oleaut/convert.h"
#include "platform/vdl/utility.h"
#include "platform/win/event_log.h"
#include "platform/win/system_directory.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

Bstr GetToken(std::u16string_view text, std::int16_t index, std::u16string_view delimiter) {
  Bstr work = Bstr(text) + Bstr(delimiter);
  Bstr result;
  if (delimiter.empty()) return result;
  for (std::int16_t i = 1; i <= index; ++i) {
    const std::size_t at = work.find(delimiter);
    if (at == Bstr::npos) return Bstr();
    result = work.substr(0, at);
    work.erase(0, at + 1);
  }
  return result;
}

bool IsInArray(const Variant& value, std::initializer_list<Variant> values) {
  for (const Variant& element : values) {
    if (oleaut::Compare(element, value) == oleaut::Comparison::Equal) return true;
  }
  return false;
}

Bstr GetFirstFieldText(const com::Ptr<ado::Connection>& connection,
                       std::u16string_view statement) noexcept {
  try {
    if (!connection) return Bstr();
    auto recordset = com::Make<ado::Recordset>();
    recordset->Open(Variant(Bstr(statement)), Variant(connection));
    if (recordset->State() != ado::adStateOpen || recordset->Eof()) return Bstr();
    const auto field = recordset->Fields()->Item(std::int32_t{0});
    const Variant text = vdl::Utility::Current().ValueOrDefault(Variant(field->Value()), Bstr());
    if (field->Type() == ado::adBoolean) {
      return oleaut::UCase(oleaut::ToString(text)) == u"TRUE" ? Bstr(u"1") : Bstr(u"0");
    }
    return oleaut::ToString(text);
  } catch (...) {
    return Bstr();
  }
}

com::Ptr<ado::Connection> OpenJetConnection(std::u16string_view path) noexcept {
  try {
    const Bstr connection_string = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + Bstr(path) +
                                   u";Persist Security Info=False";
    auto connection = com::Make<ado::Connection>();
    connection->SetCursorLocation(ado::adUseClient);
    connection->SetConnectionString(connection_string);
    connection->Open({}, {}, {}, ado::adOptionUnspecified);
    return connection;
  } catch (const oleaut::ComError& error) {
    win::ReportEvent(win::EventType::Error, u"TAVMPrintExport", error.Description());
  } catch (const std::exception& error) {
    win::ReportEvent(win::EventType::Error, u"TAVMPrintExport", oleaut::FromUtf8(error.what()));
  } catch (...) {
    win::ReportEvent(win::EventType::Error, u"TAVMPrintExport",
                     u"The local report database cannot be opened: " + Bstr(path));
  }
  return nullptr;
}

Bstr GetSystemDir() {
  // GetSystemDirectoryA wrote into a buffer of 128 characters; the path here has no such limit,
  // so a system directory in a long home folder is found rather than read as empty.
  Bstr directory = oleaut::FromUtf8(win::SystemDirectory().string());
  if (directory.empty()) return directory;
  AddBackslash(directory);
  return directory;
}

Bstr RelatedColumnItem(const Bstr (&tokens)[9], const Bstr& ord, const Bstr& field,
                       const ControlPieces& control) {
  const Bstr& column = control.ActionToken(tokens[5], 5, PieceKind::kColumn);
  if (oleaut::Trim(tokens[6]).empty()) return u" t" + ord + u"." + column + u" as " + field + u",";
  const Bstr x = tokens[8].empty() ? control.Item(u"FName", PieceKind::kName)
                                   : control.ActionToken(tokens[8], 8, PieceKind::kName);
  return u"(SELECT " + x + u" FROM " + control.ActionToken(tokens[6], 6, PieceKind::kName) +
         u" WHERE t" + ord + u"." + column + u"=" +
         control.ActionToken(tokens[7], 7, PieceKind::kValue) + u") as " + field + u",";
}

void AddBackslash(Bstr& path) {
  if (path.empty() || path.back() != u'\\') path += u'\\';
}

}  // namespace billdata
