// The type library TAVMPrintExport: its identity and its three creatable classes.
//
// The identifiers are fixed: existing clients create the classes and call the interfaces by
// them, and registration writes them into the registry.
#pragma once

#include "platform/com/type_info.h"
#include "typelib/interfaces.h"

namespace typelib {

inline constexpr com::ClassInfo kClasses[] = {
    {u"clsGetData", com::Guid::Parse("{E8C86E9C-A0D9-4B40-9881-3B4968F27ECA}"), &kGetDataInterface},
    {u"clsPrintSetupQuery", com::Guid::Parse("{774E4F9D-1926-4C21-A82F-D38DB29D893E}"),
     &kPrintSetupQueryInterface},
    {u"clsPrintSetupUpdate", com::Guid::Parse("{F2A6ACB7-5CDC-4E0F-9DF9-6B93B4D0B276}"),
     &kPrintSetupUpdateInterface},
};

inline constexpr com::LibraryInfo kLibrary{
    u"TAVMPrintExport",
    com::Guid::Parse("{4AB93173-CAEE-433D-8403-357A5E6DE2DB}"),
    1,
    1,
    0x409,
    u"TAVMPrintExport",
    kClasses,
};

inline constexpr const com::ClassInfo& kClsGetData = kClasses[0];
inline constexpr const com::ClassInfo& kClsPrintSetupQuery = kClasses[1];
inline constexpr const com::ClassInfo& kClsPrintSetupUpdate = kClasses[2];

// The product's registry key and the value under it where registration records the install
// directory (TAV_GetSysDirectory reads it).
inline constexpr std::u16string_view kProductKey =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\MERIDAN\\TAVPRODUCT";
inline constexpr std::u16string_view kInstallPathValue = u"Path";

// "TAVMPrintExport.clsGetData": the ProgID registration gives each class.
std::u16string ProgIdOf(const com::ClassInfo& info);
// The class with that name ("clsGetData", any case) or ProgID, or nullptr.
const com::ClassInfo* FindClass(std::u16string_view name_or_progid) noexcept;

}  // namespace typelib
