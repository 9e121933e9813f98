// The lists a user chooses templates from: the user's own templates of a bill type or report
// (copied from the administrator's on first use), else the administrator's, else the newest body
// of each name that anyone has; with the user's page options text.
#include "templates/lists.h"

#include <string_view>

#include "frame/error_styles.h"
#include "frame/record_helpers.h"
#include "platform/vdl/list.h"
#include "templates/copy.h"
#include "templates/store_support.h"

namespace templates {

namespace {

// The administrator copy of the same flavour, which the lists call as a client would.
using CopyMember = void (*)(Variant&, std::int32_t, std::int32_t, const Bstr&);

struct ListTables {
  std::u16string_view own_select;  // up to the type id
  std::u16string_view own_filter;  // up to the user id
  std::u16string_view admin_select;
  std::u16string_view admin_filter;   // up to the administrator's id
  std::u16string_view newest_head;    // before the inner select
  std::u16string_view newest_select;  // up to the type id
  std::u16string_view newest_filter;
  std::u16string_view newest_tail;
  std::u16string_view option_select;  // up to the type id
  std::u16string_view option_user;    // up to the user id
  std::u16string_view option_admin;   // up to the administrator's id
  CopyMember copy;
};

const ListTables kBillLists{
    u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where fbilltype= ",
    u" and fbillid>0 and FPreparerId=",
    u"select fbilltype,fname,fbillid,fbilltypesub,fsel from T_ExcelPrintExport where fbilltype=",
    u" and fbillid>0 and FPreparerId=",
    u" select distinct a.fbilltype,a.fname,a.fbillid,a.fbilltypesub,a.fsel from "
    u"T_ExcelPrintExport a inner join ",
    u" (select   fbilltype,fname,max(fbillid) fbillid from T_ExcelPrintExport where fbilltype=",
    u" and fbillid>0 ",
    u" group by fbilltype,fname) b on a.fbilltype=b.fbilltype and  a.fname=b.fname and  "
    u"a.fbillid=b.fbillid ",
    u"select fdata from T_ExcelPrintExport where fbilltype=",
    u" and fbillid=0 and FPreparerId=",
    u" and fbillid=0 and FPreparerId=",
    &CopyManagerNoteInfo,
};

const ListTables kReportLists{
    u"select FRptId,fname,FNoteId,fsel from T_RptExcelPrintExport where FRptId= ",
    u" and FNoteId>0 and FPreparerId=",
    u"select FRptId,fname,FNoteId,fsel from T_RptExcelPrintExport where FRptId=",
    u" and FNoteId>0 and FPreparerId=",
    u" select distinct a.FRptId,a.fname,a.FNoteId,a.fsel from T_RptExcelPrintExport a inner "
    u"join ",
    u" (select   FRptId,fname,max(FNoteId) FNoteId from T_RptExcelPrintExport where FRptId=",
    u" and FNoteId>0 ",
    u" group by FRptId,fname) b on a.FRptId=b.FRptId and  a.fname=b.fname and  "
    u"a.FNoteId=b.FNoteId ",
    u"select fdata from T_RptExcelPrintExport where FRptId=",
    u" and FNoteId=0 and FPreparerId=",
    u" and FNoteId=0 and FPreparerId=",
    &CopyRptManagerNoteInfo,
};

// The caller has bound `context` to the data source of `connection`.
com::Ptr<vdl::Dictionary> ListTemplates(tavglobal::DataContext& context,
                                        const com::Ptr<ado::Connection>& connection,
                                        const ListTables& tables, std::int32_t type) {
  const Bstr type_text = Num(type);
  auto own_rows = [&] {
    return connection->Execute(
        Sql({tables.own_select, type_text, tables.own_filter, Num(CurrentUserId(context))}),
        nullptr, ado::adOptionUnspecified);
  };
  auto rows = own_rows();
  if (rows->Eof()) {
    const auto user = context.GetUserInfo();
    Variant cn(connection);
    tables.copy(cn, type, user->UserID(), user->UserName());
    rows = own_rows();
  }
  if (rows->Eof()) {
    rows = connection->Execute(
        Sql({tables.admin_select, type_text, tables.admin_filter, AdministratorId()}), nullptr,
        ado::adOptionUnspecified);
  }
  if (rows->Eof()) {
    rows = connection->Execute(Sql({tables.newest_head, tables.newest_select, type_text,
                                    tables.newest_filter, tables.newest_tail}),
                               nullptr, ado::adOptionUnspecified);
  }

  auto result = com::Make<vdl::Dictionary>();
  auto list = com::Make<vdl::List>();
  for (; !rows->Eof(); rows->MoveNext())
    list->Add(frame::RecordToDictNoNull(*rows));
  result->Add(u"Data", list);

  auto option = connection->Execute(
      Sql({tables.option_select, type_text, tables.option_user, Num(CurrentUserId(context))}),
      nullptr, ado::adOptionUnspecified);
  if (option->Eof()) {
    option = connection->Execute(
        Sql({tables.option_select, type_text, tables.option_admin, AdministratorId()}), nullptr,
        ado::adOptionUnspecified);
  }
  const Bstr option_text = option->Eof() ? Bstr() : TextOrEmpty(FieldValue(*option, u"fdata"));
  context.MarkComplete();
  result->SetItem(u"Option", option_text);
  return result;
}

}  // namespace

com::Ptr<vdl::Dictionary> GetNoteInfo(frame::Instance& self, const Bstr& sDsn,
                                      std::int32_t classTypeId) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.BindToDsn(sDsn);
    return ListTemplates(self.Context(), self.Context().GetConnection(), kBillLists, classTypeId);
  });
}

com::Ptr<vdl::Dictionary> GetRptNoteInfo(frame::Instance& self, const Bstr& sDsn,
                                         std::int32_t rptId) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.BindToDsn(sDsn);
    return ListTemplates(self.Context(), self.Context().GetConnection(), kReportLists, rptId);
  });
}

}  // namespace templates
