// The Jet provider: ado::Provider over a local Jet (Access) database file, read-only, for
// "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=PATH". It runs Jet SQL SELECTs on one table
// (see statement.h); writes raise Jet's read-only error, transactions are accepted and change
// nothing. Jet 3 (Access 97) and Jet 4 (Access 2000 to 2003) files are read.
//
// Connection string keys (OpenProvider): Provider (Microsoft.Jet.OLEDB.4.0 or .3.51), Data
// Source; Persist Security Info, Mode and an empty (or "Admin") User ID and empty Password are
// accepted. A database password or a workgroup file is not supported; any other key is an error
// that names it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado::jet {

std::unique_ptr<Provider> OpenJetProvider(const ConnectionSettings& settings);

// Whether `provider` (the value of Provider=) names the Jet OLE DB provider.
bool IsJetProviderName(std::u16string_view provider);

}  // namespace ado::jet
