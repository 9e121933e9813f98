// The tavprint commands, apart from their command-line parsing.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"

namespace tavprint {

// The text and value types every command speaks in.
using oleaut::Bstr;
using oleaut::FromUtf8;
using oleaut::ToUtf8;
using oleaut::Variant;

// The server libraries to (un)register: the one given, else the product's server libraries
// beside tavprint (the component's at least).
std::vector<std::filesystem::path> ServerLibraries(
    const std::optional<std::filesystem::path>& given);

void RunRegister(const std::vector<std::filesystem::path>& libraries, std::ostream& out);
// Unregisters each library; one the registry does not name is said to be not registered.
void RunUnregister(const std::vector<std::filesystem::path>& libraries, std::ostream& out);
void RunTypelib(bool json, std::ostream& out);
// `target` is Class.Member (clsGetData.TransMode, or a full ProgID such as
// TAVMPrintExport.clsGetData.TransMode or VDL.Reg.GetKeyValue); `args` are JSON values.
// The object behind `progid`. The product's server libraries beside tavprint (the component and
// the outside components it creates) are registered first when they are not registered yet, so
// that a fresh build just works.
com::Ptr<com::Unknown> Activate(const oleaut::Bstr& progid);
// Activate, for calls by name: an object that cannot be called by name raises E_NOINTERFACE.
com::Ptr<com::Dispatch> ActivateLateBound(const oleaut::Bstr& progid);

// A command that cannot do what it was asked raises this, with `message` as the description.
[[noreturn]] void FailCommand(const std::string& message);

// With `out_file`, the first byte array of the result (itself, or an item of a returned list or
// dictionary, such as a template body) is also written to that file.
void RunCall(const std::string& target, const std::vector<std::string>& args, std::ostream& out,
             const std::optional<std::filesystem::path>& out_file = std::nullopt);

}  // namespace tavprint
