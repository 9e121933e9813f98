// Self-registration of the server library: the registry entries of its classes and type library.
#pragma once

#include <filesystem>

namespace server {

// Writes every entry, in one registry transaction, with `library` as the InprocServer32 path.
void RegisterClasses(const std::filesystem::path& library);
// Removes exactly the entries RegisterClasses writes, and keys that are left empty by that.
void UnregisterClasses();

}  // namespace server
