// TAVEBSBase.SystemProfile: the product's reader of system profile values (t_SystemProfile).
//
// GetProfile(sDsn, sKey, vTemplateID) reads the value of key `sKey` in the category 'IC', the
// category of the inventory and printing settings: "NotePrintSingle" is the row ('IC',
// 'NotePrintSingle'). A bill template may override a key with a row of its own keyed
// "<sKey>:<template id>" (('IC', 'NotePrintSingle:A01') for template A01), which wins when the
// template id is given. The result is the value as text: the empty text when the value is Null
// or there is no row.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/com/type_info.h"

namespace outside {

namespace system_profile_detail {
inline constexpr com::ParamInfo kParams[] = {
    com::In(u"sDsn", oleaut::VarType::String),
    com::In(u"sKey", oleaut::VarType::String),
    com::Optional(u"vTemplateID", oleaut::VarType::Variant, com::DefaultValue{}),
};
inline constexpr com::MemberInfo kMembers[] = {
    {u"GetProfile", com::MemberKind::Method, kParams, oleaut::VarType::String, {}},
};
}  // namespace system_profile_detail

// The class and its library, as registration writes them.
inline constexpr com::SingleClassLibrary kSystemProfileComponent{
    {u"TAVEBSBase", com::Guid::Parse("{E620CD94-730B-47F8-9644-0FE1732C767A}")},
    u"TAVEBSBase: system profile values",
    {u"SystemProfile", com::Guid::Parse("{763D593E-1BC4-45CA-8E51-61F58BCE341C}")},
    {u"_SystemProfile", com::Guid::Parse("{E57C572F-E498-487C-AA2D-B92DCA9502BE}")},
    system_profile_detail::kMembers};
inline constexpr const com::InterfaceInfo& kSystemProfileInterface =
    kSystemProfileComponent.interface;
inline constexpr const com::LibraryInfo& kSystemProfileLibrary = kSystemProfileComponent.library;

class SystemProfile : public com::Dispatch {
 public:
  SystemProfile();

  // Reads through the thread's data-access context, bound to `sDsn`.
  oleaut::Bstr GetProfile(const oleaut::Bstr& sDsn, const oleaut::Bstr& sKey,
                          const oleaut::Variant& vTemplateID);

 private:
  static const com::DispatchTable& Table();
};

}  // namespace outside
