// Pictures and the install directory: an item's small photo, the bytes of a binary column, and
// the product's install directory from the registry.
#include <array>

#include "billdata/caller_sql.h"
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "frame/error_styles.h"
#include "platform/ado/stream.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/globals.h"
#include "templates/store_support.h"
#include "typelib/library.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using templates::Sql;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

// GetPictureData reads a picture in pieces of this many bytes.
constexpr std::int32_t kChunkSize = 100;

// Every failure of GetPictureData reaches the caller as this error, with the caught description.
constexpr auto kPictureError = static_cast<std::int32_t>(0x80040001U);
constexpr std::u16string_view kPictureSource = u"TAVQPrintExport:GetPictureData";

com::Ptr<com::Dispatch> Callable(com::Ptr<com::Unknown> object, std::u16string_view progid) {
  auto callable = com::As<com::Dispatch>(object);
  if (!callable) {
    oleaut::RaiseVbError(oleaut::kNoSuchMember, Bstr(progid) + u" cannot be called by name");
  }
  return callable;
}

// An item of dctDataInfo as text: a missing key reads as the empty text.
Bstr TextItem(const DictionaryRef& data, std::u16string_view key) {
  if (!data) oleaut::RaiseVbError(oleaut::kObjectVariableNotSet, u"dctDataInfo is Nothing");
  const Variant value = data->Item(key);
  return value.IsEmpty() || value.IsNull() ? Bstr() : oleaut::ToString(value);
}

Variant ReadPicture(const com::Ptr<ado::Connection>& connection, const DictionaryRef& dctDataInfo) {
  constexpr std::u16string_view kSource = u"TAVMPrintExport.clsPrintSetupQuery";
  const Bstr field_name = TextItem(dctDataInfo, u"FieldName");
  const Bstr table_name = TextItem(dctDataInfo, u"TableName");
  const Bstr key_field = TextItem(dctDataInfo, u"PrimaryKeyField");
  const Bstr key_value = TextItem(dctDataInfo, u"PrimaryKeyValue");
  billdata::RequireSqlName(field_name, u"FieldName", kSource);
  billdata::RequireSqlName(table_name, u"TableName", kSource);
  billdata::RequireSqlName(key_field, u"PrimaryKeyField", kSource);
  billdata::RequireSqlLiteral(key_value, u"PrimaryKeyValue", kSource);

  auto rows = com::Make<ado::Recordset>();
  rows->SetActiveConnection(connection);
  rows->SetCursorLocation(ado::adUseServer);
  rows->SetLockType(ado::adLockReadOnly);
  rows->Open(Variant(Sql({u"select ", field_name, u" from ", table_name, u"\r\n where ", key_field,
                          u"=", key_value})));
  if (rows->State() != ado::adStateOpen || rows->Eof()) return {};

  auto stream = com::Make<ado::Stream>();
  stream->SetType(ado::adTypeBinary);
  stream->Open();
  // The statement selects the one column, so it is field 0 however the caller spelled its name
  // ([FData] or t.FData would not be found by name).
  const auto field = rows->Fields()->Item(std::int32_t{0});
  const std::int32_t size = field->ActualSize();
  if (size == 0) return {};
  for (std::int32_t offset = 0; offset <= size; offset += kChunkSize) {
    const std::int32_t rest = size - offset;
    if (rest <= 0) break;
    stream->Write(field->GetChunk(rest > kChunkSize ? kChunkSize : rest));
  }
  stream->SetPosition(0);
  Variant result = stream->Read();
  stream->Close();
  return result;
}

}  // namespace

Bstr clsGetData::GetItemPicture(const Bstr& sDsn, const Bstr& sItemID) {
  constexpr std::u16string_view kItemInfo = u"TAVEBSGLItem.ItemInfo";
  Bstr result;
  TrapAndSwallow([&] {
    const auto item =
        Callable(tavglobal::ObjectCreator::Current().CreateByProgID(kItemInfo), kItemInfo);
    const Variant picture = item->Call(u"GetItemPicture", sDsn, sItemID, u"SmallPhoto");
    result = oleaut::ToString(picture);
  });
  return result;
}

Bstr clsGetData::TAV_GetSysDirectory() {
  constexpr std::u16string_view kReg = u"VDL.Reg";
  const auto reg = Callable(com::CreateByProgID(kReg), kReg);
  return oleaut::ToString(reg->Call(u"GetKeyValue", Bstr(typelib::kProductKey),
                                    Bstr(typelib::kInstallPathValue), u"1"));
}

Variant clsPrintSetupQuery::GetPictureData(const Bstr& sDsn, const DictionaryRef& dctDataInfo) {
  try {
    return ReadPicture(BindToDsn(sDsn), dctDataInfo);
  } catch (...) {
    const oleaut::ComError error = CurrentError();
    throw oleaut::ComError(kPictureError, std::u16string(kPictureSource), error.Description(),
                           error.HelpFile(), error.HelpContext());
  }
}

}  // namespace frame
