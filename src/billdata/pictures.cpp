// Pictures and the install directory: an item's small photo, the bytes of a binary column, and
// the product's install directory from the registry.
#include <array>

#include "billdata/caller_sql.h"
#include "billdata/late_bound.h"
#include "frame/cls_get_data.h"
#include "frame/cls_print_setup_query.h"
#include "frame/error_styles.h"
#include "platform/ado/stream.h"
#include "platform/com/activation.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
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

Variant ReadPicture(const com::Ptr<ado::Connection>& connection, const DictionaryRef& dctDataInfo) {
  constexpr std::u16string_view kSource = u"TAVMPrintExport.clsPrintSetupQuery";
  const Bstr field_name = billdata::SqlNameItem(dctDataInfo, u"dctDataInfo", u"FieldName", kSource);
  const Bstr table_name = billdata::SqlNameItem(dctDataInfo, u"dctDataInfo", u"TableName", kSource);
  const Bstr key_field =
      billdata::SqlNameItem(dctDataInfo, u"dctDataInfo", u"PrimaryKeyField", kSource);
  const Bstr key_value =
      billdata::SqlLiteralItem(dctDataInfo, u"dctDataInfo", u"PrimaryKeyValue", kSource);

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
    const auto item = billdata::CreateProductObject(kItemInfo);
    const Variant picture = item->Call(u"GetItemPicture", sDsn, sItemID, u"SmallPhoto");
    result = oleaut::ToString(picture);
  });
  return result;
}

Bstr clsGetData::TAV_GetSysDirectory() {
  constexpr std::u16string_view kReg = u"VDL.Reg";
  const auto reg = billdata::LateBound(com::CreateByProgID(kReg), kReg);
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
