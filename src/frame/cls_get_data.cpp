#include "frame/cls_get_data.h"

#include "billdata/counters.h"
#include "billdata/fill_data.h"
#include "billdata/metadata.h"
#include "billdata/pictures.h"
#include "frame/sql_quote.h"
#include "platform/com/bind.h"
#include "platform/tavglobal/call_notes.h"
#include "typelib/interfaces.h"

namespace frame {

using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

const com::DispatchTable& clsGetData::Table() {
  static constexpr com::Binding kBindings[] = {
      com::Bind<&clsGetData::TransMode>(u"TransMode"),
      com::Bind<&clsGetData::ExecuteSQL>(u"ExecuteSQL"),
      com::Bind<&clsGetData::GetSysValue>(u"GetSysValue"),
      com::Bind<&clsGetData::GetBillTypeInfo>(u"GetBillTypeInfo"),
      com::Bind<&clsGetData::GetNoteCitation>(u"GetNoteCitation"),
      com::Bind<&clsGetData::GetBillPackage>(u"GetBillPackage"),
      com::Bind<&clsGetData::GetHeadFillData>(u"GetHeadFillData"),
      com::Bind<&clsGetData::GetEntryFillData>(u"GetEntryFillData"),
      com::Bind<&clsGetData::GetBillPrintCount>(u"GetBillPrintCount"),
      com::Bind<&clsGetData::GetItemPicture>(u"GetItemPicture"),
      com::Bind<&clsGetData::TAV_GetSysDirectory>(u"TAV_GetSysDirectory"),
  };
  static_assert(com::BindingsMatch(typelib::kGetDataInterface, kBindings));
  static const com::DispatchTable table(u"TAVMPrintExport.clsGetData", typelib::kGetDataInterface,
                                        kBindings);
  return table;
}

clsGetData::clsGetData()
    : ComponentObject(Table(), tavglobal::TransactionIntent::Read),
      user_info_(context_->GetUserInfo()) {}

std::int32_t clsGetData::TransMode() const {
  return 3;
}

com::Ptr<ado::Connection> clsGetData::BindToDsn(const Bstr& sDsn) {
  BindContext(sDsn);
  user_info_ = context_->GetUserInfo();
  return context_->GetConnection();
}

namespace {

// The messages of the batch, for a tool that shows them; no part of the result.
void NoteMessages(const ado::Connection& connection) {
  if (!tavglobal::CallNotesWanted()) return;
  for (const ado::Error& entry : connection.Errors()) {
    if (entry.number != 0) continue;
    tavglobal::NoteForCaller(
        {std::u16string(tavglobal::kServerMessageNote), 0, 0, entry.description});
  }
}

}  // namespace

com::Ptr<ado::Recordset> clsGetData::ExecuteSQL(const Bstr& sDsn, const Bstr& strSql) {
  context_->MarkComplete();
  BindToDsn(sDsn);
  const auto connection = context_->GetConnection();
  com::Ptr<ado::Recordset> recordset;
  try {
    recordset = connection->Execute(strSql, nullptr, ado::adOptionUnspecified);
  } catch (const oleaut::ComError&) {
    NoteMessages(*connection);
    throw;
  }
  NoteMessages(*connection);
  recordset->SetActiveConnection(nullptr);
  return recordset;
}

Variant clsGetData::GetSysValue(const Bstr& sDsn, const Bstr& FCategory, const Bstr& FKey) {
  context_->MarkComplete();
  BindToDsn(sDsn);
  const Bstr sql = u"SELECT FValue FROM t_SystemProfile WHERE FCategory=" + SqlQuote(FCategory) +
                   u" and FKey=" + SqlQuote(FKey);
  auto recordset = com::Make<ado::Recordset>();
  recordset->SetCursorLocation(ado::adUseClient);
  recordset->SetCursorType(ado::adOpenForwardOnly);
  recordset->SetLockType(ado::adLockReadOnly);
  recordset->SetActiveConnection(context_->GetConnection());
  recordset->Open(Variant(sql));
  Variant result = recordset->Eof() ? Variant(std::int16_t{0})
                                    : recordset->Fields()->Item(std::int32_t{0})->Value();
  recordset->Close();
  return result;
}

DictionaryRef clsGetData::GetBillTypeInfo(const Bstr& sDsn, std::int32_t pBillTranType) {
  return billdata::GetBillTypeInfo(*this, sDsn, pBillTranType);
}

com::Ptr<ado::Recordset> clsGetData::GetNoteCitation(const Bstr& sDsn, std::int32_t pNoteTypeID) {
  return billdata::GetNoteCitation(*this, sDsn, pNoteTypeID);
}

com::Ptr<vdl::List> clsGetData::GetBillPackage(const Bstr& sDsn, std::int32_t lBillTransType,
                                               const DictionaryRef& dicPara) {
  return billdata::GetBillPackage(*this, sDsn, lBillTransType, dicPara);
}

std::int32_t clsGetData::GetHeadFillData(const Bstr& sDsn, const DictionaryRef& pCondition,
                                         const DictionaryRef& dicStruct, Variant& pRetRs,
                                         bool SumNotePrint) {
  return billdata::GetHeadFillData(*this, sDsn, pCondition, dicStruct, pRetRs, SumNotePrint);
}

std::int32_t clsGetData::GetEntryFillData(const Bstr& sDsn, const DictionaryRef& pCondition,
                                          const DictionaryRef& dicStruct, Variant& pRetRs) {
  return billdata::GetEntryFillData(*this, sDsn, pCondition, dicStruct, pRetRs);
}

Bstr clsGetData::GetBillPrintCount(const Bstr& sDsn, const Bstr& sInterID,
                                   std::int32_t lBillTranType) {
  return billdata::GetBillPrintCount(*this, sDsn, sInterID, lBillTranType);
}

Bstr clsGetData::GetItemPicture(const Bstr& sDsn, const Bstr& sItemID) {
  return billdata::GetItemPicture(sDsn, sItemID);
}

Bstr clsGetData::TAV_GetSysDirectory() {
  return billdata::TAV_GetSysDirectory();
}

}  // namespace frame
