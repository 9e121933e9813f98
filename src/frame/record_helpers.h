// Copying the current record of a recordset into a new dictionary keyed by field name.
#pragma once

#include "platform/ado/recordset.h"
#include "platform/com/object.h"
#include "platform/vdl/dictionary.h"

namespace frame {

// Every field of the current record, in field order, values as they come (Null included). The
// recordset is neither moved nor closed. Errors (a recordset at end of file) reach the caller.
com::Ptr<vdl::Dictionary> RecordToDict(ado::Recordset& recordset);

// As RecordToDict, but Null becomes the empty text and a bit field becomes the Integer 1 or 0.
com::Ptr<vdl::Dictionary> RecordToDictNoNull(ado::Recordset& recordset);

}  // namespace frame
