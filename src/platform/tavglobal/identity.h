// Who the user is on a data source. The catalog entry, the environment or the command line say at
// most whom they ask for (an id, or a name, and a language); the user's name and language come
// from the application's user table t_User of that data source, so that an id never goes with
// another user's name. With nobody asked for, the user is the administrator, who needs no row:
// a source without a user table (another application's database, a Jet file) still works.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/ado/connection.h"
#include "platform/com/object.h"
#include "platform/tavglobal/catalog.h"
#include "platform/tavglobal/user_info.h"

namespace tavglobal {

struct IdentityRequest {
  std::optional<std::int16_t> user_id;
  std::optional<std::u16string> user_name;
  std::optional<std::u16string> language;  // the user's own from t_User when not given

  bool NamesAUser() const noexcept { return user_id || user_name; }
};

// The request for a data source: TAV_USER_ID and TAV_USER_NAME when either is set (they stand
// for another user than the catalog's, so the entry's id and name are dropped), else the
// catalog entry's; TAV_LANGUAGE over the entry's language. Raises for a TAV_USER_ID that is no
// 16-bit integer.
IdentityRequest RequestedIdentity(const DataSourceEntry* entry);

// The user the request names, as t_User on `connection` knows them. Raises a ComError for an id
// the table does not know, a name that is not that id's, a name no user (or several users) has,
// and a source whose user table cannot be read when a user was asked for.
com::Ptr<UserInfo> ResolveIdentity(const IdentityRequest& request, ado::Connection& connection);

// Before any data source is bound there is no table to ask: the administrator when nobody was
// asked for, else what the request says, with nothing made up (an id asked for alone has an
// empty name until a binding resolves it).
com::Ptr<UserInfo> UnboundIdentity(const IdentityRequest& request);

}  // namespace tavglobal
