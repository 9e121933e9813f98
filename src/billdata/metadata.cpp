// Bill metadata: a bill type's row, the citation texts of a note type, and the template package
// (head fields, entry fields and the package reader's dictionary) a print client starts from.
#include "billdata/metadata.h"

#include <array>

#include "billdata/late_bound.h"
#include "frame/context_helpers.h"
#include "frame/error_styles.h"
#include "frame/record_helpers.h"
#include "frame/sql_quote.h"
#include "frame/sql_text.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using frame::GetLangFieldName;
using frame::Num;
using frame::RecordToDict;
using frame::Sql;
using frame::SqlQuote;
using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

constexpr std::u16string_view kPackageReader = u"TAVMBillsPackage.clsReadPackage";

Bstr BillTypeStatement(std::u16string_view language, std::int32_t bill_type) {
  return Sql({u"SELECT FBrNo,FID,FROB,", GetLangFieldName(u"FName", language), u" AS FName ",
              u",FType,FTemplateID,FVchTemplateID,FHeadTable,FEntryTable,FCheckPRO,FFormWidth,"
              u"FFormHeight,FFixCols,FAllowDefined,FBillFlow FROM ICTransactionType WHERE FID=",
              Num(bill_type)});
}

Bstr HeadFieldStatement(std::u16string_view language, const Bstr& template_id) {
  return Sql({u"SELECT FID,FCtlIndex,FTabIndex,", GetLangFieldName(u"FCaption", language),
              u" As FName ", u",FCtlType,FLookUpCls,FNeedSave,FValueType,FSaveValue,",
              u" FFieldName,FLeft,FTop,FWidth,FHeight,FEnable,FPrint,FFontName,FFontSize,FSelBill,",
              u" FMustInput,FFilter,FRelationID,FAction,FLockA,FROB,FDefaultCtl,FVisForBillType,",
              u" FVBACtlType,FRelateOutTbl,FSysMustInputItem,FInEntryForSPrint,FRMustInput ",
              u" FROM ICTemplate WHERE FID = ", template_id,
              u" AND FCtlIndex>=0 ORDER BY FCtlIndex"});
}

Bstr EntryFieldStatement(std::u16string_view language, const Bstr& template_id) {
  return Sql(
      {u"SELECT FID,FCtlOrder,FCtlIndex,FCtlType,FLookUpCls,FNeedSave,FValueType,"
       u"FSaveValue,FFieldName,FEnable,",
       u" FPrint,", GetLangFieldName(u"FHeadCaption", language), u" AS FHeadCaption ",
       u",FWidth,FNeedCount,FRelationID,FAction,FMustInput,FFilter,FSaveRule,",
       u" FDefaultCtl,FVisForBillType,FRelateOutTbl,FSysMustInputItem,FStatCount ",
       u" FROM ICTemplateEntry WHERE FID = ", template_id, u" ORDER BY FCtlOrder"});
}

// Execute gives a closed recordset for a batch without rows, and an open one that may be empty.
bool HasRows(const ado::Recordset& rows) {
  return rows.State() == ado::adStateOpen && !(rows.Eof() && rows.Bof());
}

// The template's rows by their FFieldName, each a dictionary of its columns; Nothing when the
// statement finds no row.
DictionaryRef FieldDictionary(ado::Connection& connection, const Bstr& statement) {
  const auto rows = connection.Execute(statement, nullptr, ado::adOptionUnspecified);
  if (!HasRows(*rows)) return {};
  auto fields = com::Make<vdl::Dictionary>();
  for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
    DictionaryRef row = RecordToDict(*rows);
    fields->Add(oleaut::ToString(row->Item(u"FFieldName")), row);
  }
  rows->Close();
  return fields;
}

}  // namespace

DictionaryRef GetBillTypeInfo(frame::Instance& self, const Bstr& sDsn, std::int32_t pBillTranType) {
  DictionaryRef result;
  frame::TrapAndSwallow([&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    const auto connection = self.Context().GetConnection();
    const Bstr language = self.Context().GetUserInfo()->Language();
    const auto rows = connection->Execute(BillTypeStatement(language, pBillTranType), nullptr,
                                          ado::adOptionUnspecified);
    if (HasRows(*rows)) result = RecordToDict(*rows);
    rows->Close();
  });
  return result;
}

com::Ptr<ado::Recordset> GetNoteCitation(frame::Instance& self, const Bstr& sDsn,
                                         std::int32_t pNoteTypeID) {
  com::Ptr<ado::Recordset> result;
  frame::TrapAndSwallow([&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    const auto connection = self.Context().GetConnection();
    const Bstr language = self.Context().GetUserInfo()->Language();
    auto rows = connection->Execute(
        Sql({u"SELECT ", GetLangFieldName(u"FCitationName", language),
             u" AS FCitationName,* FROM GLNoteCitation WHERE FNoteTypeID=", Num(pNoteTypeID)}),
        nullptr, ado::adOptionUnspecified);
    // Handed over as Execute gave it: still open and attached to the connection.
    if (HasRows(*rows)) result = std::move(rows);
  });
  return result;
}

com::Ptr<vdl::List> GetBillPackage(frame::Instance& self, const Bstr& sDsn,
                                   std::int32_t lBillTransType, const DictionaryRef& /*dicPara*/) {
  self.Context().MarkComplete();
  self.BindToDsn(sDsn);
  const auto connection = self.Context().GetConnection();
  const Bstr language = self.Context().GetUserInfo()->Language();

  DictionaryRef bill_type;
  {
    const auto rows = connection->Execute(BillTypeStatement(language, lBillTransType), nullptr,
                                          ado::adOptionUnspecified);
    if (HasRows(*rows)) {
      bill_type = RecordToDict(*rows);
      rows->Close();
    }
  }
  if (!bill_type) {
    oleaut::RaiseVbError(oleaut::kObjectVariableNotSet,
                         u"the bill type " + Num(lBillTransType) +
                             u" has no row in ICTransactionType, so its template id is unknown",
                         u"TAVMPrintExport.clsGetData");
  }
  const Bstr template_id = SqlQuote(bill_type->Item(u"FTemplateID"));
  const DictionaryRef head_fields =
      FieldDictionary(*connection, HeadFieldStatement(language, template_id));
  const DictionaryRef entry_fields =
      FieldDictionary(*connection, EntryFieldStatement(language, template_id));

  DictionaryRef package;
  {
    const auto reader = CreateProductObject(kPackageReader);
    std::array<Variant, 3> arguments{Variant::Nothing(), Variant(lBillTransType), Variant(sDsn)};
    oleaut::ToLong(reader->Invoke(u"GetBillTemplatePackage", arguments));
    package = arguments[0].AsObjectOf<vdl::Dictionary>();
  }

  return vdl::ListOf({bill_type, head_fields, entry_fields, package});
}

}  // namespace billdata
