#include "billdata/fill_start.h"

namespace billdata {

FillStart StartFill(frame::Instance& self, const oleaut::Bstr& sDsn,
                    const DictionaryRef& dicStruct) {
  self.Context().MarkComplete();
  self.BindToDsn(sDsn);
  const auto connection = self.Context().GetConnection();
  const vdl::Dictionary& structure = Required(dicStruct, u"dicStruct");
  return {connection, structure, RequiredDictionary(structure, u"dicStruct", u"BillInfo")};
}

BillsAsked ReadBillsAsked(const DictionaryRef& pCondition) {
  const vdl::Dictionary& condition = Required(pCondition, u"pCondition");
  BillsAsked asked;
  asked.tran_type = TranType(condition);
  asked.selection = SelectedBills(condition);
  return asked;
}

com::Ptr<ado::Recordset> ClientRecordset(const com::Ptr<ado::Connection>& connection) {
  auto recordset = com::Make<ado::Recordset>();
  recordset->SetCursorLocation(ado::adUseClient);
  recordset->SetCursorType(ado::adOpenStatic);
  recordset->SetLockType(ado::adLockOptimistic);
  recordset->SetActiveConnection(connection);
  return recordset;
}

}  // namespace billdata
