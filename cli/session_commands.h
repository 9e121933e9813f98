// tavprint's commands about the session rather than the data: who the user is on a data source,
// and which data sources the catalog names.
#pragma once

#include <ostream>
#include <string>

#include "data_commands.h"

namespace tavprint {

// The user the calls on `dsn` act as (id, name and language from its t_User), and why.
void RunWhoami(const std::string& dsn, const OutputOptions& options, std::ostream& out);

// "demo" and the catalog's entries, with their connection strings (passwords hidden) and users.
void RunSources(const OutputOptions& options, std::ostream& out);

}  // namespace tavprint
