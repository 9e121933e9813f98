// Copying the administrator's templates of a bill type or report to a user: each body becomes a
// new body the user owns, and each of the administrator's rows is repeated for the user pointing
// at the new bodies. Runs on the caller's connection and leaves transactions to the caller.
#include "templates/copy.h"

#include <string_view>

#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/win/event_log.h"
#include "templates/store_support.h"

namespace templates {

namespace {

struct CopyTables {
  std::u16string_view admin_rows;  // up to the type id
  std::u16string_view type_column;
  std::u16string_view link_column;
  bool has_sub_type;
  // Bills copy the row's own type into the new row; reports the report id asked for.
  bool type_from_row;
  std::u16string_view body_select;  // up to the body id
  std::u16string_view body_type_column;
  std::u16string_view body_insert;
  std::u16string_view exists_select;  // up to the row's type
  std::u16string_view exists_link;    // between the type and the link
  std::u16string_view assignment_insert;
};

constexpr CopyTables kBillCopy{
    u"select FId,FBillType,FBillId,FPreparerId,FDate,FName,FData,FPrintSet,FBillTypeSub,FSel "
    u"from T_ExcelPrintExport where fbilltype=",
    u"FBillType",
    u"FBillId",
    true,
    true,
    u"select FID,FName,FScreenID,FCreatorName,FModifierName,FCreateDate,FModifyDate,FData,"
    u"FNewBillType from T_ExcelPrintExportNote where fid=",
    u"FNewBillType",
    u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,FNewBillType,"
    u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
    u"select * from T_ExcelPrintExport where fbilltype=",
    u" and FBillID=",
    u"Insert Into T_ExcelPrintExport (FBillId,FBillType,FPreparerId,FDate,FName,FData,"
    u"FBillTypeSub,FSel,FPrintSet)  Values(?,?,?,?,?,?,?,?,?)",
};

constexpr CopyTables kReportCopy{
    u"select FId,FRptId,FNoteId,FPreparerId,FDate,FName,FData,FPrintSet,FSel from "
    u"T_RptExcelPrintExport where FRptId=",
    u"FRptId",
    u"FNoteId",
    false,
    false,
    u"select FID,FName,FScreenID,FCreatorName,FModifierName,FCreateDate,FModifyDate,FData,"
    u"FNewRptId from T_RptExcelPrintExportNote where fid=",
    u"FNewRptId",
    u"Insert Into T_RptExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,FNewRptId,"
    u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
    u"select * from T_RptExcelPrintExport where FRptId=",
    u" and FNoteId=",
    u"Insert Into T_RptExcelPrintExport (FNoteId,FRptId,FPreparerId,FDate,FName,FData,FSel,"
    u"FPrintSet)  Values(?,?,?,?,?,?,?,?)",
};

com::Ptr<ado::Connection> CallerConnection(const Variant& cn) {
  if (!cn.IsObject()) {
    oleaut::RaiseVbError(oleaut::kTypeMismatch, u"cn must be an open ADO Connection");
  }
  auto connection = cn.AsObjectOf<ado::Connection>();
  if (!connection) {
    oleaut::RaiseVbError(oleaut::kObjectVariableNotSet, u"cn is Nothing, not an open connection");
  }
  return connection;
}

// Returns the new body's id as text, or `link` when the body is missing or no id came back.
Bstr CopyBody(const com::Ptr<ado::Connection>& cn, const CopyTables& tables, const Bstr& link,
              const Bstr& row_name, const Bstr& UserName) {
  const auto body = cn->Execute(Sql({tables.body_select, Num(LeadingLong(link))}), nullptr,
                                ado::adOptionUnspecified);
  if (body->Eof()) {
    win::ReportEvent(
        win::EventType::Warning, kEventSource,
        u"当前单据（" + row_name + u"）对应用户（" + UserName + u"）的套打模板数据不存在！");
    return link;
  }
  const auto command = TextCommand(cn, tables.body_insert);
  AppendParameter(*command, ado::adVarChar, 255, TextOrEmpty(FieldValue(*body, u"FName")));
  AppendParameter(*command, ado::adVarChar, 20, TextOrEmpty(FieldValue(*body, u"FScreenID")));
  AppendParameter(*command, ado::adVarChar, 20, UserName);
  AppendParameter(*command, ado::adVarChar, 20, UserName);
  AppendParameter(*command, ado::adVarChar, 20,
                  TextOrEmpty(FieldValue(*body, tables.body_type_column)));
  AppendParameter(*command, ado::adDate, 0, oleaut::Now());
  AppendParameter(*command, ado::adDate, 0, oleaut::Now());
  AppendParameter(*command, ado::adLongVarBinary, kBlobSize, FieldValue(*body, u"FData"));
  ExecuteOnce(*command);
  const Variant identity = LastIdentity(*cn);
  return identity.IsNull() ? link : oleaut::ToString(identity);
}

void CopyAdministratorRows(Variant& cn, const CopyTables& tables, std::int32_t type,
                           std::int32_t UserID, const Bstr& UserName) {
  const auto connection = CallerConnection(cn);
  const auto rows = connection->Execute(
      Sql({tables.admin_rows, Num(type), u" and FPreparerId=", AdministratorId()}), nullptr,
      ado::adOptionUnspecified);
  for (; !rows->Eof(); rows->MoveNext()) {
    const Bstr row_type = TextOrEmpty(FieldValue(*rows, tables.type_column));
    Bstr link = TextOrEmpty(FieldValue(*rows, tables.link_column));
    const Bstr name = TextOrEmpty(FieldValue(*rows, u"FName"));
    const Bstr data = TextOrEmpty(FieldValue(*rows, u"FData"));
    const Bstr sub = tables.has_sub_type ? TextOrEmpty(FieldValue(*rows, u"FBillTypeSub")) : Bstr();
    const Bstr sel = TextOrEmpty(FieldValue(*rows, u"FSel"));
    const Variant print_set = FieldValue(*rows, u"FPrintSet");

    if (LeadingLong(link) != 0) link = CopyBody(connection, tables, link, name, UserName);

    const auto existing =
        connection->Execute(Sql({tables.exists_select, row_type, tables.exists_link, link,
                                 u" and FPreParerID=", Num(UserID)}),
                            nullptr, ado::adOptionUnspecified);
    if (!existing->Eof()) continue;
    const auto command = TextCommand(connection, tables.assignment_insert);
    AppendParameter(*command, ado::adInteger, 0, LeadingLong(link));
    AppendParameter(*command, ado::adInteger, 0,
                    tables.type_from_row ? LeadingLong(row_type) : type);
    AppendParameter(*command, ado::adInteger, 0, UserID);
    AppendParameter(*command, ado::adDate, 0, oleaut::Now());
    AppendParameter(*command, ado::adVarChar, 255, name);
    AppendParameter(*command, ado::adVarChar, StoredTextSize(255, data), data);
    if (tables.has_sub_type) AppendParameter(*command, ado::adVarChar, 255, sub);
    AppendParameter(*command, ado::adInteger, 0, LeadingLong(sel));
    AppendParameter(*command, ado::adLongVarBinary, kBlobSize, print_set);
    ExecuteOnce(*command);
  }
}

}  // namespace

void CopyManagerNoteInfo(Variant& cn, std::int32_t classTypeId, std::int32_t UserID,
                         const Bstr& UserName) {
  CopyAdministratorRows(cn, kBillCopy, classTypeId, UserID, UserName);
}

void CopyRptManagerNoteInfo(Variant& cn, std::int32_t rptId, std::int32_t UserID,
                            const Bstr& UserName) {
  CopyAdministratorRows(cn, kReportCopy, rptId, UserID, UserName);
}

}  // namespace templates
