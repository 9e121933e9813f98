#include "platform/outside/item_info/item_info.h"

#include <openssl/evp.h>

#include <algorithm>
#include <string>

#include "platform/com/bind.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/whole_number.h"
#include "platform/outside/data_access.h"

namespace outside {

namespace {

using oleaut::Bstr;

constexpr std::u16string_view kSource = u"TAVEBSGLItem.ItemInfo";

// Picture kinds and the t_ICItem columns that hold them.
struct PictureKind {
  std::u16string_view kind;
  std::u16string_view select;
};
constexpr PictureKind kKinds[] = {
    {u"SmallPhoto", u"SELECT FSmallPhoto FROM t_ICItem WHERE FItemID=?"},
};

}  // namespace

Bstr Base64(const oleaut::ByteArray& bytes) {
  // Whole groups of three bytes per piece, so that the pieces join into one encoding, and few
  // enough that EVP_EncodeBlock's int lengths never overflow.
  constexpr std::size_t kPiece = 3 * 1024 * 1024;
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4 + 1);
  std::string piece_text(kPiece / 3 * 4 + 1, '\0');
  for (std::size_t at = 0; at < bytes.size(); at += kPiece) {
    const std::size_t length = std::min(kPiece, bytes.size() - at);
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(piece_text.data()),
                                        bytes.data() + at, static_cast<int>(length));
    text.append(piece_text.data(), static_cast<std::size_t>(written));
  }
  return oleaut::FromUtf8(text);
}

const com::DispatchTable& ItemInfo::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&ItemInfo::GetItemPicture>(u"GetItemPicture")};
  static_assert(com::BindingsMatch(kItemInfoInterface, kBindings));
  static const com::DispatchTable table(kSource, kItemInfoInterface, kBindings);
  return table;
}

ItemInfo::ItemInfo() : Dispatch(Table()) {}

Bstr ItemInfo::GetItemPicture(const Bstr& sDsn, const Bstr& sItemID, const Bstr& sKind) {
  const auto kind = std::find_if(std::begin(kKinds), std::end(kKinds), [&](const PictureKind& k) {
    return oleaut::EqualsNoCase(k.kind, sKind);
  });
  if (kind == std::end(kKinds)) {
    oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                         u"'" + sKind + u"' is not a picture kind of an item (SmallPhoto)",
                         kSource);
  }
  const std::optional<std::int64_t> item_id = oleaut::ParseWholeNumber(sItemID);
  if (!item_id || *item_id < INT32_MIN || *item_id > INT32_MAX) {
    oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                         u"the item id '" + sItemID + u"' is not a whole number", kSource);
  }
  const auto rows =
      Query(BindThreadContext(sDsn), kind->select, {static_cast<std::int32_t>(*item_id)});
  if (rows->State() != ado::adStateOpen || rows->Eof()) return {};
  const oleaut::Variant picture = rows->Fields()->Item(std::int32_t{0})->Value();
  if (picture.Type() != oleaut::VarType::ByteArray) return {};
  return Base64(picture.AsByteArray());
}

}  // namespace outside
