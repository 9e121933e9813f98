// How the product's outside components reach the database: through the thread's data-access
// context, so that a call made inside a component call joins its transaction and sees its
// session, with the caller's values bound as parameters, never spliced into the statement.
#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace outside {

// Binds the thread's current context to `sDsn` and returns its connection.
com::Ptr<ado::Connection> BindThreadContext(std::u16string_view sDsn);

// Runs `sql` on `connection` with `values` bound to its ? markers in order; the rows as a
// client-side recordset (closed when the statement gives none).
com::Ptr<ado::Recordset> Query(const com::Ptr<ado::Connection>& connection, std::u16string_view sql,
                               std::initializer_list<oleaut::Variant> values = {});

// A value as the outside components hand it on: an Integer (a smallint column) widened to Long,
// so that callers see every whole-number column of the schema alike; every other value as it is.
oleaut::Variant WidenedValue(const oleaut::Variant& value);

}  // namespace outside
