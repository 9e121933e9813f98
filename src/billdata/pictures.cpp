// Pictures and the install directory: an item's small photo, the bytes of a binary column, and
// the product's install directory from the registry.
#include "billdata/pictures.h"

#include <array>

#include "billdata/caller_sql.h"
#include "billdata/late_bound.h"
#include "frame/error_styles.h"
#include "frame/sql_text.h"
#include "platform/ado/recordset.h"
#include "platform/ado/stream.h"
#include "platform/com/activation.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/hresult.h"
#include "typelib/library.h"

namespace billdata {

using frame::Sql;
using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

// GetPictureData reads a picture in pieces of this many bytes.
constexpr std::int32_t kChunkSize = 100;

// Every failure of GetPictureData reaches the caller as this error, with the caught description.
constexpr oleaut::HRESULT kPictureError = oleaut::vbObjectError + 1;
constexpr std::u16string_view kPictureSource = u"TAVQPrintExport:GetPictureData";

Variant ReadPicture(const com::Ptr<ado::Connection>& connection, const DictionaryRef& dctDataInfo) {
  constexpr std::u16string_view kSource = u"TAVMPrintExport.clsPrintSetupQuery";
  const Bstr field_name = SqlNameItem(dctDataInfo, u"dctDataInfo", u"FieldName", kSource);
  const Bstr table_name = SqlNameItem(dctDataInfo, u"dctDataInfo", u"TableName", kSource);
  const Bstr key_field = SqlNameItem(dctDataInfo, u"dctDataInfo", u"PrimaryKeyField", kSource);
  const Bstr key_value = SqlLiteralItem(dctDataInfo, u"dctDataInfo", u"PrimaryKeyValue", kSource);

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

Bstr GetItemPicture(const Bstr& sDsn, const Bstr& sItemID) {
  constexpr std::u16string_view kItemInfo = u"TAVEBSGLItem.ItemInfo";
  Bstr result;
  frame::TrapAndSwallow([&] {
    const auto item = CreateProductObject(kItemInfo);
    const Variant picture = item->Call(u"GetItemPicture", sDsn, sItemID, u"SmallPhoto");
    result = oleaut::ToString(picture);
  });
  return result;
}

Bstr TAV_GetSysDirectory() {
  constexpr std::u16string_view kReg = u"VDL.Reg";
  const auto reg = LateBound(com::CreateByProgID(kReg), kReg);
  return oleaut::ToString(reg->Call(u"GetKeyValue", Bstr(typelib::kProductKey),
                                    Bstr(typelib::kInstallPathValue), u"1"));
}

Variant GetPictureData(frame::Instance& self, const Bstr& sDsn, const DictionaryRef& dctDataInfo) {
  try {
    return ReadPicture(self.BindToDsn(sDsn), dctDataInfo);
  } catch (...) {
    const oleaut::ComError error = frame::CurrentError();
    throw oleaut::ComError(kPictureError, std::u16string(kPictureSource), error.Description(),
                           error.HelpFile(), error.HelpContext());
  }
}

}  // namespace billdata
