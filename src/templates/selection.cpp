// Storing a user's choices for a bill type or report: the option text in the user's page-settings
// row, the selection flag of each listed template, and the print settings blob.
#include "templates/selection.h"

#include <string_view>
#include <vector>

#include "frame/error_styles.h"
#include "frame/sql_quote.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/vdl/list.h"
#include "templates/store_support.h"

namespace templates {

namespace {

struct SelectionTables {
  std::u16string_view page_lookup;  // up to the type id
  std::u16string_view page_filter;  // between the type id and the user id
  std::u16string_view page_insert;  // up to the type id
  std::u16string_view page_update;  // up to the option text
  std::u16string_view type_where;   // between the option text and the type id
  std::u16string_view item_lookup;  // up to the type id
  std::u16string_view link_filter;  // between the type id and the template id
  std::u16string_view item_insert;  // up to the type id
  std::u16string_view item_insert_tail;
  std::u16string_view item_update;  // up to the flag
};

constexpr SelectionTables kBillSelection{
    u"select * from T_ExcelPrintExport where fbilltype=",
    u" and FBillID=0 and FPreParerID=",
    u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,FPreParerID,FData) "
    u"values (",
    u"Update T_ExcelPrintExport set Fdata=",
    u" where fbilltype=",
    u"select * from T_ExcelPrintExport  where fbilltype=",
    u" and FBillID=",
    u"insert into T_ExcelPrintExport (FBillType,FBillID,FDate,FName,FSel,FPreParerID,FData,"
    u"Fbilltypesub)values(",
    u",'','')",
    u"Update T_ExcelPrintExport set Fbilltypesub='',FSel=",
};

constexpr SelectionTables kReportSelection{
    u"select * from T_RptExcelPrintExport where FRptId=",
    u" and FNoteId=0 and FPreParerID=",
    u"insert into T_RptExcelPrintExport (FRptId,FNoteId,FDate,FName,FSel,FPreParerID,FData) "
    u"values (",
    u"Update T_RptExcelPrintExport set Fdata=",
    u" where FRptId=",
    u"select * from T_RptExcelPrintExport  where FRptId=",
    u" and FNoteId=",
    u"insert into T_RptExcelPrintExport (FRptId,FNoteId,FDate,FName,FSel,FPreParerID,FData)values(",
    u",'')",
    u"Update T_RptExcelPrintExport set FSel=",
};

// The field at `index` (from 0) of `text` split at every `separator`; the empty text past the
// last field.
Bstr GetSplitField(std::u16string_view text, std::u16string_view separator, std::size_t index) {
  std::size_t start = 0;
  for (std::size_t field = 0; field < index; ++field) {
    const std::size_t at = text.find(separator, start);
    if (at == std::u16string_view::npos) return {};
    start = at + separator.size();
  }
  const std::size_t end = text.find(separator, start);
  return Bstr(text.substr(start, end == std::u16string_view::npos ? end : end - start));
}

[[noreturn]] void RaiseBadModiData(std::u16string_view what) {
  oleaut::RaiseVbError(oleaut::kTypeMismatch, u"modiData: " + Bstr(what));
}

com::Ptr<vdl::List> TemplateItems(const vdl::Dictionary& modiData) {
  const Variant data = modiData.Item(u"Data");
  if (!data.IsObject()) RaiseBadModiData(u"\"Data\" must be a VDL.List of template items");
  const auto list = com::As<vdl::List>(data.AsObject());
  if (!list) RaiseBadModiData(u"\"Data\" must be a VDL.List of template items");
  return list;
}

// One item of "Data" as its statements need it.
struct TemplateChoice {
  Bstr id;
  Bstr flag;
  Bstr quoted_name;
};

// Every item read and checked before anything is written, so that a bad item anywhere in the
// list leaves the store as it was.
std::vector<TemplateChoice> ReadChoices(const vdl::List& items) {
  std::vector<TemplateChoice> choices;
  for (std::int32_t i = 1; i <= items.UpperBound(); ++i) {
    const Variant& entry = items.Item(i);
    const auto item = entry.IsObject() ? com::As<vdl::Dictionary>(entry.AsObject()) : nullptr;
    if (!item) RaiseBadModiData(u"item " + Num(i) + u" of \"Data\" is not a VDL.Dictionary");
    if (!item->Exists(u"FKey"))
      RaiseBadModiData(u"item " + Num(i) + u" of \"Data\" has no \"FKey\"");
    const Bstr key = oleaut::ToString(item->Item(u"FKey"));
    // Template ids start at 1; id 0 is the mark of the page-settings row, which an item must
    // never address.
    const std::int32_t id = LeadingLong(GetSplitField(key, u"|", 1));
    if (id == 0) {
      oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                           u"modiData: item " + Num(i) +
                               u" of \"Data\" names no template: its "
                               u"\"FKey\" '" +
                               key + u"' has no template id as its second field");
    }
    choices.push_back({Num(id),
                       oleaut::DoubleToString(oleaut::Val(oleaut::ToString(item->Item(u"FSel")))),
                       SqlQuoteKeepBreaks(item->Item(u"FName"))});
  }
  return choices;
}

void StoreSelection(tavglobal::DataContext& context, ado::Connection& connection,
                    const SelectionTables& tables, std::int32_t type,
                    const com::Ptr<vdl::Dictionary>& modiData) {
  if (!modiData) {
    oleaut::RaiseVbError(oleaut::kObjectVariableNotSet,
                         u"modiData is Nothing; a VDL.Dictionary is needed");
  }
  const Bstr user = Num(CurrentUserId(context));
  const Bstr type_text = Num(type);
  const Bstr option = oleaut::ToString(modiData->Item(u"Option"));
  const std::vector<TemplateChoice> choices = ReadChoices(*TemplateItems(*modiData));

  const auto page =
      connection.Execute(Sql({tables.page_lookup, type_text, tables.page_filter, user}));
  if (page->Eof()) {
    connection.Execute(
        Sql({tables.page_insert, type_text, u",0,", SqlQuoteKeepBreaks(oleaut::Today()),
             u",'存放页面设置信息',0,", user, u",", SqlQuoteKeepBreaks(option), u")"}));
  } else {
    connection.Execute(Sql({tables.page_update, SqlQuoteKeepBreaks(option), tables.type_where,
                            type_text, tables.page_filter, user}));
  }

  for (const TemplateChoice& choice : choices) {
    const auto existing = connection.Execute(Sql({tables.item_lookup, type_text, tables.link_filter,
                                                  choice.id, u" and FPreParerID=", user}));
    if (existing->Eof()) {
      connection.Execute(Sql({tables.item_insert, type_text, u",", choice.id, u",",
                              SqlQuoteKeepBreaks(oleaut::Today()), u",", choice.quoted_name, u",",
                              choice.flag, u",", user, tables.item_insert_tail}));
    } else {
      connection.Execute(Sql({tables.item_update, choice.flag, tables.type_where, type_text,
                              tables.link_filter, choice.id, u"and FPreParerID=", user}));
    }
  }
  context.MarkComplete();
}

}  // namespace

Variant UpdateUserNoteData(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassType,
                           const com::Ptr<vdl::Dictionary>& modiData) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    StoreSelection(self.Context(), *self.BindToDsn(sDsn), kBillSelection, fClassType, modiData);
    return Variant();
  });
}

Variant UpdateUserRptNoteData(frame::Instance& self, const Bstr& sDsn, std::int32_t fRptId,
                              const com::Ptr<vdl::Dictionary>& modiData) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    StoreSelection(self.Context(), *self.BindToDsn(sDsn), kReportSelection, fRptId, modiData);
    return Variant();
  });
}

void SavePageAndPrintSet(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassTypeId,
                         const Variant& printSetValue) {
  frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    const auto connection = self.BindToDsn(sDsn);
    const std::int16_t user_id = CurrentUserId(self.Context());
    const Bstr type_text = Num(fClassTypeId);
    const auto own = connection->Execute(
        Sql({u"Select  * From T_ExcelPrintExport Where FBillId=0 And FBillType=", type_text,
             u" And FPreparerId=", Num(user_id)}));

    // Parameters are declared first and given their values by position afterwards.
    const auto command = com::Make<ado::Command>();
    command->SetActiveConnection(connection);
    auto declare = [&](std::int32_t type, std::int32_t size) {
      command->Parameters()->Append(command->CreateParameter({}, type, ado::adParamInput, size));
    };
    auto set = [&](std::int32_t position, const Variant& value) {
      command->Parameters()->Item(position)->SetValue(value);
    };
    if (!own->Eof()) {
      command->SetCommandText(
          u"Update T_ExcelPrintExport Set FPrintSet=? Where  FbillId=0 And FBillType=? And "
          u"FPreparerId=?");
      declare(ado::adLongVarBinary, kBlobSize);
      declare(ado::adInteger, 0);
      declare(ado::adInteger, 0);
      set(0, printSetValue);
      set(1, fClassTypeId);
      set(2, user_id);
    } else {
      const auto admin = connection->Execute(
          Sql({u"Select  FData From T_ExcelPrintExport Where FBillId=0 And FBillType=", type_text,
               u" And FPreparerId=", AdministratorId()}));
      // A Null option text is no option text, as when the administrator has no row.
      const Bstr option = admin->Eof() ? Bstr() : TextOrEmpty(FieldValue(*admin, u"FData"));
      command->SetCommandText(
          u"Insert Into T_ExcelPrintExport (FBillId,FBillType,FPreparerId,FDate,FName,FPrintSet,"
          u"FData)  Values(?,?,?,?,?,?,?)");
      declare(ado::adInteger, 0);
      declare(ado::adInteger, 0);
      declare(ado::adInteger, 0);
      declare(ado::adDate, 0);
      declare(ado::adVarChar, 255);
      declare(ado::adLongVarBinary, kBlobSize);
      declare(ado::adVarChar, StoredTextSize(255, option));
      set(0, std::int16_t{0});
      set(1, fClassTypeId);
      set(2, user_id);
      set(3, oleaut::Now());
      set(4, Bstr(kPageSettingsName));
      set(5, printSetValue);
      set(6, option);
    }
    command->Execute();
  });
}

}  // namespace templates
