// Creating, replacing and deleting template bodies: a user's own templates of a bill type or
// report (with an assignment row each time one is saved), the administrator's templates, and the
// wholesale body replacement of a bill type.
#include "templates/write.h"

#include <algorithm>
#include <string_view>

#include "frame/error_styles.h"
#include "frame/sql_quote.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "templates/store_support.h"

namespace templates {

namespace {

struct InsertTables {
  std::u16string_view body_lookup;  // up to the creator
  std::u16string_view body_insert;
  // The creator and modifier parameters: reports declare them narrower.
  std::int32_t person_size;
  std::u16string_view body_replace;       // up to the id
  std::u16string_view assignment_insert;  // up to the first value
};

constexpr InsertTables kBillInsert{
    u"select *  from T_ExcelPrintExportNote where FCreatorName=",
    u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,FNewBillType,"
    u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
    255,
    u"Update T_ExcelPrintExportNote set FData = ?  Where FID=",
    u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,FPreParerID,FData) "
    u"values (",
};

constexpr InsertTables kReportInsert{
    u"select *  from T_RptExcelPrintExportNote where FCreatorName=",
    u"Insert Into T_RptExcelPrintExportNote(FName,FScreenId,FCreatorName,FModifierName,FNewRptId,"
    u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?,?)",
    20,
    u"Update T_RptExcelPrintExportNote set FData = ?  Where FID=",
    u"insert into T_RptExcelPrintExport (FRptId,FNoteId,FDate,FName,FSel,FPreParerID,FData) "
    u"values (",
};

struct DeleteTables {
  std::u16string_view body_delete;        // up to the creator
  std::u16string_view body_type;          // between the creator and the type
  std::u16string_view assignment_delete;  // up to the user
  std::u16string_view assignment_type;    // between the user and the type
  std::u16string_view assignment_link;    // between the type and the id
};

constexpr DeleteTables kBillDelete{
    u"Delete From T_ExcelPrintExportNote Where FCreatorName=", u" and FNewBillType=",
    u"Delete From T_ExcelPrintExport Where FPreparerID=", u" and FBillType=", u" And FBillId="};

constexpr DeleteTables kReportDelete{
    u"Delete From T_RptExcelPrintExportNote Where FCreatorName=", u" and FNewRptId=",
    u"Delete From T_RptExcelPrintExport Where FPreparerID=", u" and FRptId=", u" And FNoteId="};

// The name as the lookup's literal compares it: trimmed of blanks, without NUL and line breaks.
Bstr LookupName(const Bstr& name) {
  Bstr text = oleaut::Trim(name);
  std::erase_if(text, [](char16_t c) { return c == u'\0' || c == u'\n' || c == u'\r'; });
  return text;
}

// The name a body row keeps: as the user typed it where the lookup, which compares the cleaned
// name and ignores trailing blanks as the database does, still finds it; else the cleaned name.
// A name with leading blanks or a line break would otherwise never be found again, and every
// save of it would add another body.
Bstr StoredName(const Bstr& name) {
  Bstr cleaned = LookupName(name);
  return oleaut::RTrim(name) == oleaut::RTrim(cleaned) ? name : cleaned;
}

com::Ptr<vdl::List> SaveUserTemplateOn(tavglobal::DataContext& context,
                                       const com::Ptr<ado::Connection>& connection,
                                       const InsertTables& tables, std::int32_t type,
                                       const Bstr& fNoteName, const Variant& fNoteBlob) {
  auto command = com::Make<ado::Command>();
  const Bstr user_name = CurrentUserName(context);
  auto found = connection->Execute(Sql({tables.body_lookup, SqlQuote(user_name), u" and FScreenId=",
                                        SqlQuote(type), u" and FName=", SqlQuote(fNoteName)}));
  std::int32_t id = 0;
  command->SetActiveConnection(connection);
  command->SetCommandType(ado::adCmdText);
  const Bstr stored_name = StoredName(fNoteName);
  if (found->Eof()) {
    command->SetCommandText(tables.body_insert);
    AppendParameter(*command, ado::adVarChar, 255, stored_name);
    AppendParameter(*command, ado::adVarChar, 20, Num(type));
    AppendParameter(*command, ado::adVarChar, tables.person_size, user_name);
    AppendParameter(*command, ado::adVarChar, tables.person_size, user_name);
    AppendParameter(*command, ado::adVarChar, 20, type);
    AppendParameter(*command, ado::adDate, 0, oleaut::Now());
    AppendParameter(*command, ado::adDate, 0, oleaut::Now());
    AppendParameter(*command, ado::adLongVarBinary, kBlobSize, fNoteBlob);
    command->Execute();
    const Variant identity = LastIdentity(*connection);
    id = identity.IsNull() ? 0 : oleaut::ToLong(identity);
  } else {
    id = oleaut::ToLong(FieldValue(*found, u"FID"));
    command->SetCommandText(Sql({tables.body_replace, Num(id)}));
    AppendParameter(*command, ado::adLongVarBinary, kBlobSize, fNoteBlob);
    command->Execute();
  }
  found->Close();
  command.Reset();

  connection->Execute(
      Sql({tables.assignment_insert, Num(type), u",", Num(id), u",",
           SqlQuoteKeepBreaks(oleaut::Today()), u",", SqlQuoteKeepBreaks(stored_name), u",0,",
           Num(CurrentUserId(context)), u",'')"}));
  context.MarkComplete();

  return vdl::ListOf({id, type, fNoteName, fNoteBlob});
}

void DeleteUserTemplateOn(tavglobal::DataContext& context, ado::Connection& connection,
                          const DeleteTables& tables, std::int32_t type, std::int32_t FID) {
  const std::int16_t user_id = CurrentUserId(context);
  const Bstr user_name = CurrentUserName(context);
  connection.Execute(Sql({tables.body_delete, SqlQuote(user_name), tables.body_type, Num(type),
                          u" And FId=", Num(FID)}));
  connection.Execute(Sql({tables.assignment_delete, Num(user_id), tables.assignment_type, Num(type),
                          tables.assignment_link, Num(FID)}));
  context.MarkComplete();
}

// InsertNoteRow and InsertRptNoteRow: the user's body of `type` named `fNoteName` (made, or its
// blob replaced) and an assignment row for it.
com::Ptr<vdl::List> SaveUserTemplate(frame::Instance& self, const Bstr& sDsn,
                                     const InsertTables& tables, std::int32_t type,
                                     const Bstr& fNoteName, const Variant& fNoteBlob) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    const auto connection = self.BindToDsn(sDsn);
    return SaveUserTemplateOn(self.Context(), connection, tables, type, fNoteName, fNoteBlob);
  });
}

// DeleteNoteRow and DeleteRptNoteRow: the user's body `FID` of `type` and its assignment rows.
bool DeleteUserTemplate(frame::Instance& self, const Bstr& sDsn, const DeleteTables& tables,
                        std::int32_t type, std::int32_t FID) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    DeleteUserTemplateOn(self.Context(), *self.BindToDsn(sDsn), tables, type, FID);
    return true;
  });
}

com::Ptr<vdl::Dictionary> RequireDictionary(const com::Ptr<vdl::Dictionary>& dictionary,
                                            std::u16string_view name) {
  if (!dictionary) {
    oleaut::RaiseVbError(oleaut::kObjectVariableNotSet,
                         Bstr(name) + u" is Nothing; a VDL.Dictionary is needed");
  }
  return dictionary;
}

}  // namespace

com::Ptr<vdl::List> InsertNoteRow(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassType,
                                  const Bstr& fNoteName, const Variant& fNoteBlob) {
  return SaveUserTemplate(self, sDsn, kBillInsert, fClassType, fNoteName, fNoteBlob);
}

com::Ptr<vdl::List> InsertRptNoteRow(frame::Instance& self, const Bstr& sDsn, std::int32_t fRptId,
                                     const Bstr& fNoteName, const Variant& fNoteBlob) {
  return SaveUserTemplate(self, sDsn, kReportInsert, fRptId, fNoteName, fNoteBlob);
}

bool SaveNewBill(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassType,
                 const com::Ptr<vdl::Dictionary>& dctData) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    Bstr name;
    Variant blob;
    if (RequireDictionary(dctData, u"dctData")->Count() > 0) {
      name = oleaut::ToString(dctData->Item(u"fNoteName"));
      blob = dctData->Item(u"FNoteBlob");
    }
    const auto connection = self.BindToDsn(sDsn);
    const auto found =
        connection->Execute(Sql({u"Select FId From T_ExcelPrintExportNote Where FNewBillType=",
                                 Num(fClassType), u" And FName=", SqlQuote(name)}));
    found->SetActiveConnection(nullptr);

    const auto command = TextCommand(connection, {});
    if (found->Eof()) {
      command->SetCommandText(
          u"Insert Into T_ExcelPrintExportNote(FName,FScreenId,FCreatorName,FNewBillType,"
          u"FCreateDate,FModifyDate,FData) Values(?,?,?,?,?,?,?)");
      AppendParameter(*command, ado::adVarChar, 255, StoredName(name));
      AppendParameter(*command, ado::adVarChar, 20, Num(fClassType));
      AppendParameter(*command, ado::adVarChar, 20, u"Manager");
      AppendParameter(*command, ado::adVarChar, 20, fClassType);
      AppendParameter(*command, ado::adDate, 0, oleaut::Now());
      AppendParameter(*command, ado::adDate, 0, oleaut::Now());
      AppendParameter(*command, ado::adLongVarBinary, kBlobSize, blob);
    } else {
      command->SetCommandText(
          u"Update T_ExcelPrintExportNote Set FCreateDate=?,FModifyDate=?,FData=? Where "
          u"FNewBillType=? And FName=?");
      AppendParameter(*command, ado::adDate, 0, oleaut::Now());
      AppendParameter(*command, ado::adDate, 0, oleaut::Now());
      AppendParameter(*command, ado::adLongVarBinary, kBlobSize, blob);
      AppendParameter(*command, ado::adVarChar, 20, fClassType);
      // The rows the lookup found: a name with surrounding blanks or line breaks would
      // otherwise match none of them, and the body would be dropped without a word.
      AppendParameter(*command, ado::adVarChar, 255, LookupName(name));
    }
    command->Execute();
    self.Context().MarkComplete();
    return false;
  });
}

Variant UpdateNoteRow(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassType,
                      const Variant& fNoteBlob, const Bstr& sNoteName) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    const auto connection = self.BindToDsn(sDsn);
    const Bstr user_name = CurrentUserName(self.Context());
    const auto any = connection->Execute(Sql(
        {u"Select top 1 FId From T_ExcelPrintExportNote Where FNewBillType=", Num(fClassType)}));
    if (!any->Eof()) {
      const bool by_name = !sNoteName.empty();
      const auto command = TextCommand(
          connection, Sql({u"Update T_ExcelPrintExportNote Set FModifierName=?,FModifyDate=? "
                           u",FData=? Where FNewBillType=? ",
                           by_name ? u" AND FName = ? " : u""}));
      AppendParameter(*command, ado::adVarChar, 20, user_name);
      AppendParameter(*command, ado::adDate, 0, oleaut::Now());
      AppendParameter(*command, ado::adLongVarBinary, kBlobSize, fNoteBlob);
      AppendParameter(*command, ado::adVarChar, 20, fClassType);
      // The name as the saves store it, so that a name typed as it was saved finds its rows.
      if (by_name) AppendParameter(*command, ado::adVarChar, 510, StoredName(sNoteName));
      command->Execute();
    }
    self.Context().MarkComplete();
    return Variant();
  });
}

bool DeleteNoteRow(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassType,
                   std::int32_t FID) {
  return DeleteUserTemplate(self, sDsn, kBillDelete, fClassType, FID);
}

bool DeleteRptNoteRow(frame::Instance& self, const Bstr& sDsn, std::int32_t fRptId,
                      std::int32_t FID) {
  return DeleteUserTemplate(self, sDsn, kReportDelete, fRptId, FID);
}

}  // namespace templates
