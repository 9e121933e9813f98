// The tavprint commands, apart from their command-line parsing.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com/object.h"
#include "platform/oleaut/text.h"

namespace tavprint {

// The server library to (un)register: the one given, else the one beside tavprint.
std::filesystem::path ServerLibrary(const std::optional<std::filesystem::path>& given);

void RunRegister(const std::filesystem::path& library, std::ostream& out);
void RunUnregister(const std::filesystem::path& library, std::ostream& out);
void RunTypelib(std::ostream& out);
// `target` is Class.Member (clsGetData.TransMode, or a full ProgID such as
// TAVMPrintExport.clsGetData.TransMode or VDL.Reg.GetKeyValue); `args` are JSON values.
// The object behind `progid`. The component's own classes are registered from the library
// beside tavprint when they are not registered yet, so that a fresh build just works.
com::Ptr<com::Unknown> Activate(const oleaut::Bstr& progid);

// With `out_file`, the first byte array of the result (itself, or an item of a returned list or
// dictionary, such as a template body) is also written to that file.
void RunCall(const std::string& target, const std::vector<std::string>& args, std::ostream& out,
             const std::optional<std::filesystem::path>& out_file = std::nullopt);

}  // namespace tavprint
