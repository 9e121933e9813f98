// What GetHeadFillData and GetEntryFillData share around their statements: how a call starts
// (bound to its data source, the template's bill information read), the bills it asks for, and
// the recordset its rows are handed back in.
#pragma once

#include <cstdint>

#include "billdata/fill_request.h"
#include "frame/instance.h"
#include "platform/ado/recordset.h"

namespace billdata {

// The call marked complete, the instance bound to `sDsn`, and dicStruct("BillInfo") read:
// Nothing for dicStruct raises Object variable not set, a missing "BillInfo" says so.
struct FillStart {
  com::Ptr<ado::Connection> connection;
  const vdl::Dictionary& structure;
  DictionaryRef bill_info;
};
FillStart StartFill(frame::Instance& self, const oleaut::Bstr& sDsn,
                    const DictionaryRef& dicStruct);

// pCondition's bill type ("TranType") and selected bills ("Filter"); Nothing for pCondition
// raises Object variable not set.
struct BillsAsked {
  std::int32_t tran_type = 0;
  Selection selection;
};
BillsAsked ReadBillsAsked(const DictionaryRef& pCondition);

// A client-side recordset on `connection`, static and optimistically locked, not yet open: the
// kind the fill members hand their rows back in.
com::Ptr<ado::Recordset> ClientRecordset(const com::Ptr<ado::Connection>& connection);

}  // namespace billdata
