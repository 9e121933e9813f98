// `tavprint typelib`: the type library as aligned tables, one per class.
#pragma once

#include <ostream>

#include "platform/com/type_info.h"

namespace tavprint {

void PrintTypeLibrary(const com::LibraryInfo& library, std::ostream& out);

// "sDsn As String, [dicPara As VDL.Dictionary = Nothing]", as the tables show a member's
// parameters.
std::string ParameterList(const com::MemberInfo& member);

}  // namespace tavprint
