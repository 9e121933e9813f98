// The industry edition's report statement: a per-bill-type statement from the local report
// database that replaces the plain read of #tmpBillPrint, completed with the columns its mask
// leaves, the summed amount columns and a matrix of quantities by size.
#pragma once

#include <cstdint>

#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/text.h"

namespace billdata {

// The plain read of the materialised entry rows.
inline constexpr std::u16string_view kPlainEntryRead = u"SELECT * FROM #tmpBillPrint ";

// The statement that reads the entry rows of bill type `tran_type`: the report statement when
// the local report database has one, the "NotePrintSingle" profile of template `template_id` is
// 0 and #tmpBillPrint has items with sizes; the plain read otherwise. `probe` receives the
// column probe of #tmpBillPrint while the statement is built, so that a failure can hand it
// back.
oleaut::Bstr IndustryReportStatement(const com::Ptr<ado::Connection>& connection,
                                     const oleaut::Bstr& sDsn, std::int32_t tran_type,
                                     const oleaut::Bstr& template_id,
                                     com::Ptr<ado::Recordset>& probe);

}  // namespace billdata
