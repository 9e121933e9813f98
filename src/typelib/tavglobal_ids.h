// Identifiers of the TAVGlobal objects the component works through: the globals object, the
// data-access context, the user-info object and the object creator.
#pragma once

#include "platform/com/guid.h"

namespace typelib::tavglobal {

inline constexpr com::Guid kGlobalsClsid =
    com::Guid::Parse("{91D633D2-588A-4577-A21F-7C29400A1E58}");
inline constexpr com::Guid kGlobalsIid = com::Guid::Parse("{A5F01016-9E82-412B-9F3E-BDC6447470B7}");
inline constexpr com::Guid kDataContextIid =
    com::Guid::Parse("{FBA906A4-3C41-476F-A550-C745AED23318}");
inline constexpr com::Guid kUserInfoIid =
    com::Guid::Parse("{672F048B-E519-4A70-883A-EB16F340FF7F}");
inline constexpr com::Guid kObjectCreatorClsid =
    com::Guid::Parse("{097BE2C9-E8AD-45BD-979B-C50BC0FEF236}");
inline constexpr com::Guid kObjectCreatorIid =
    com::Guid::Parse("{51C66A67-89B6-417A-B300-2372BED997F6}");

}  // namespace typelib::tavglobal
