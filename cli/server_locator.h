// Finding the product's server libraries beside the tavprint executable, so that a fresh build
// works without a manual registration step.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tavprint {

// A server library of the product and the ProgID of one of its classes, which tells whether it
// is registered.
struct ProductServer {
  std::u16string_view progid;
  std::string_view library;
};

// The component and the outside components it creates by ProgID.
inline constexpr ProductServer kProductServers[] = {
    {u"TAVMPrintExport.clsGetData", "libTAVMPrintExport.so"},
    {u"TAVMBillsPackage.clsReadPackage", "libTAVMBillsPackage.so"},
    {u"TAVEBSBase.SystemProfile", "libTAVEBSBase.so"},
    {u"TAVEBSGLItem.ItemInfo", "libTAVEBSGLItem.so"},
};

// The library `file_name` in the install layout's library folder relative to the executable's
// folder (../lib/x86_64-linux-gnu on Debian), in ../lib or ../lib64 (the build tree), or in the
// executable's own folder.
std::optional<std::filesystem::path> FindServerLibrary(
    std::string_view file_name = "libTAVMPrintExport.so");

}  // namespace tavprint
