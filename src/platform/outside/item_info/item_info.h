// TAVEBSGLItem.ItemInfo: the product's item component, as far as printing needs it.
//
// GetItemPicture(sDsn, sItemID, sKind) returns an item's picture as text: the bytes of the
// picture column, base64-encoded (RFC 4648, without line breaks), so that it travels through any
// text field and a print engine can decode it as it is. The item is the t_ICItem row whose
// FItemID is `sItemID` (a whole number written as text); the kind "SmallPhoto" is the column
// FSmallPhoto. An item without a picture (Null or no bytes), or without a row, gives the empty
// text. An id that is not a whole number, or another kind, raises Invalid procedure call (5).
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/type_info.h"

namespace outside {

namespace item_info_detail {
inline constexpr com::ParamInfo kParams[] = {
    com::In(u"sDsn", oleaut::VarType::String),
    com::In(u"sItemID", oleaut::VarType::String),
    com::In(u"sKind", oleaut::VarType::String),
};
inline constexpr com::MemberInfo kMembers[] = {
    {u"GetItemPicture", com::MemberKind::Method, kParams, oleaut::VarType::String, {}},
};
}  // namespace item_info_detail

// The class and its library, as registration writes them.
inline constexpr com::SingleClassLibrary kItemInfoComponent{
    {u"TAVEBSGLItem", com::Guid::Parse("{32E0D0A6-93B2-478B-B599-CF2FD948D9D9}")},
    u"TAVEBSGLItem: items as printing needs them",
    {u"ItemInfo", com::Guid::Parse("{BD05D813-14DD-4D17-A578-1FA204F1276B}")},
    {u"_ItemInfo", com::Guid::Parse("{6E08A89F-3271-4D6C-8F91-1CDE0B6C5889}")},
    item_info_detail::kMembers};
inline constexpr const com::InterfaceInfo& kItemInfoInterface = kItemInfoComponent.interface;
inline constexpr const com::LibraryInfo& kItemInfoLibrary = kItemInfoComponent.library;

class ItemInfo : public com::Dispatch {
 public:
  ItemInfo();

  // Reads through the thread's data-access context, bound to `sDsn`.
  oleaut::Bstr GetItemPicture(const oleaut::Bstr& sDsn, const oleaut::Bstr& sItemID,
                              const oleaut::Bstr& sKind);

 private:
  static const com::DispatchTable& Table();
};

// The bytes in base64 (RFC 4648, padded, no line breaks).
oleaut::Bstr Base64(const oleaut::ByteArray& bytes);

}  // namespace outside
