// `tavprint typelib`: the type library as aligned tables, one per class.
#pragma once

#include <ostream>

#include "json_values.h"
#include "platform/com/type_info.h"

namespace tavprint {

void PrintTypeLibrary(const com::LibraryInfo& library, std::ostream& out);

// The same as JSON: the library, and each class with its interface and members (name, DISPID,
// kind, parameters, result type).
Json TypeLibraryJson(const com::LibraryInfo& library);

// "sDsn As String, [dicPara As VDL.Dictionary = Nothing]", as the tables show a member's
// parameters.
std::string ParameterList(const com::MemberInfo& member);

}  // namespace tavprint
