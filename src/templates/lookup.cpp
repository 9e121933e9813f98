// The template lookups that serve printing: which template body a user prints a bill type or a
// report with (falling back to the administrator's choice and then to anyone's), the user's page
// settings, and the user's own assignment rows with the bill-type settings and the switch.
#include "templates/lookup.h"

#include <string_view>
#include <vector>

#include "frame/error_styles.h"
#include "frame/sql_quote.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/call_notes.h"
#include "platform/vdl/list.h"
#include "templates/store_support.h"

namespace templates {

using frame::SqlQuote;
using oleaut::Bstr;
using oleaut::Variant;

namespace {

using DictionaryRef = com::Ptr<vdl::Dictionary>;

// The literal pieces of one flavour's page-text lookup and the columns of its result key.
struct PrintTables {
  std::u16string_view page_select;  // up to the type id
  std::u16string_view page_filter;  // between the type id and " and FPreparerId="
  std::u16string_view type_column;
  std::u16string_view link_column;
};

constexpr PrintTables kBillPrint{u"Select FData from T_ExcelPrintExport where fbilltype=",
                                 u" and fbillid=0 ", u"FBillType", u"FBillId"};
constexpr PrintTables kReportPrint{u"Select FData from T_RptExcelPrintExport where FRptId=",
                                   u" and FNoteId=0 ", u"FRptId", u"FNoteId"};

// The join that opens each step's statement. The first step of a chain has one blank after the
// join condition and every later step two: statement texts stay exactly as they are, blank for
// blank, because SQL Server caches plans by the exact text and traces are compared by it, so the
// two spellings are kept rather than merged.
constexpr std::u16string_view kBillJoin1 =
    u"Select c.FData as FBlob,i.* From T_ExcelPrintExport i inner Join T_ExcelPrintExportNote c "
    u" On i.FbillId=c.FId ";
constexpr std::u16string_view kBillJoin2 =
    u"Select c.FData as FBlob,i.* From T_ExcelPrintExport i inner Join T_ExcelPrintExportNote c "
    u" On i.FbillId=c.FId  ";
constexpr std::u16string_view kReportJoin1 =
    u"Select c.FData as FBlob,i.* From T_RptExcelPrintExport i inner Join "
    u"T_RptExcelPrintExportNote c  On i.FNoteId=c.FId ";
constexpr std::u16string_view kReportJoin2 =
    u"Select c.FData as FBlob,i.* From T_RptExcelPrintExport i inner Join "
    u"T_RptExcelPrintExportNote c  On i.FNoteId=c.FId  ";

// One step of a fallback chain: what it looks for, and its statement, built only when the steps
// before it found nothing, since a step may need the user's id from the context.
struct ChainStep {
  std::u16string_view looks_for;
  Bstr (*statement)(tavglobal::DataContext& context, std::int32_t type, const Bstr& sub);
};

std::vector<ChainStep> BillChain(const Bstr& FSubType) {
  if (!FSubType.empty()) {
    return {
        {u"the user's own selected template of the sub-type",
         [](tavglobal::DataContext& context, std::int32_t type, const Bstr& sub) {
           return Sql({kBillJoin1, u" Where i.FBillType=", Num(type), u" And i.FBillTypeSub=",
                       SqlQuote(sub), u" and i.FSel=1", u" and FPreparerId=",
                       Num(CurrentUserId(context))});
         }},
        {u"the user's own selected template without sub-type",
         [](tavglobal::DataContext& context, std::int32_t type, const Bstr&) {
           return Sql({kBillJoin2, u" Where i.FBillType=", Num(type),
                       u" And i.FBillTypeSub='' and i.FSel=1", u" and FPreparerId=",
                       Num(CurrentUserId(context))});
         }},
        {u"the administrator's selected template of the sub-type",
         [](tavglobal::DataContext&, std::int32_t type, const Bstr& sub) {
           return Sql({kBillJoin2, u" Where i.FBillType=", Num(type), u" And i.FBillTypeSub=",
                       SqlQuote(sub), u" and i.FSel=1", u" and FPreparerId=", AdministratorId()});
         }},
        {u"the administrator's selected template without sub-type",
         [](tavglobal::DataContext&, std::int32_t type, const Bstr&) {
           return Sql({kBillJoin2, u" Where i.FBillType=", Num(type),
                       u" And i.FBillTypeSub='' and i.FSel=1", u" and FPreparerId=",
                       AdministratorId()});
         }},
        {u"another user's selected template of the sub-type",
         [](tavglobal::DataContext&, std::int32_t type, const Bstr& sub) {
           return Sql({kBillJoin2, u" Where i.FBillType=", Num(type), u" And i.FBillTypeSub=",
                       SqlQuote(sub), u" and i.FSel=1"});
         }},
    };
  }
  return {
      {u"the user's own selected template without sub-type",
       [](tavglobal::DataContext& context, std::int32_t type, const Bstr&) {
         return Sql({kBillJoin2, u" Where i.FBillType=", Num(type),
                     u" And isnull(i.FBillTypeSub, '') = '' ", u" And i.FSel=1 and FPreparerId=",
                     Num(CurrentUserId(context))});
       }},
      {u"the administrator's selected template (of any sub-type)",
       [](tavglobal::DataContext&, std::int32_t type, const Bstr&) {
         return Sql({kBillJoin2, u" Where i.FBillType=", Num(type),
                     u" And i.FSel=1 and FPreparerId=", AdministratorId()});
       }},
  };
}

// Reports have no sub-type: a requested one only decides whether anyone's template is the last
// resort.
std::vector<ChainStep> ReportChain(const Bstr& FSubType) {
  if (!FSubType.empty()) {
    return {
        {u"the user's own selected template",
         [](tavglobal::DataContext& context, std::int32_t rpt, const Bstr&) {
           return Sql({kReportJoin1, u" Where i.FRptId=", Num(rpt), u" And i.FSel=1",
                       u" and FPreparerId=", Num(CurrentUserId(context))});
         }},
        {u"the administrator's selected template",
         [](tavglobal::DataContext&, std::int32_t rpt, const Bstr&) {
           return Sql({kReportJoin2, u" Where i.FRptId=", Num(rpt), u" And i.FSel=1",
                       u" and FPreparerId=", AdministratorId()});
         }},
        {u"another user's selected template",
         [](tavglobal::DataContext&, std::int32_t rpt, const Bstr&) {
           return Sql({kReportJoin2, u" Where i.FRptId=", Num(rpt), u" And i.FSel=1"});
         }},
    };
  }
  return {
      {u"the user's own selected template",
       [](tavglobal::DataContext& context, std::int32_t rpt, const Bstr&) {
         return Sql({kReportJoin2, u" Where i.FRptId=", Num(rpt), u" And i.FSel=1 and FPreparerId=",
                     Num(CurrentUserId(context))});
       }},
      {u"the administrator's selected template",
       [](tavglobal::DataContext&, std::int32_t rpt, const Bstr&) {
         return Sql({kReportJoin2, u" Where i.FRptId=", Num(rpt), u" And i.FSel=1 and FPreparerId=",
                     AdministratorId()});
       }},
  };
}

Bstr KeyPart(const Variant& id) {
  return oleaut::Trim(Num(oleaut::ToLong(id)));
}

DictionaryRef FindPrintTemplate(tavglobal::DataContext& context, ado::Connection& connection,
                                const PrintTables& tables, const std::vector<ChainStep>& chain,
                                std::int32_t type, const Bstr& FSubType) {
  com::Ptr<ado::Recordset> found;
  std::size_t number = 0;
  while (number < chain.size()) {
    const ChainStep& next = chain[number++];
    found = connection.Execute(next.statement(context, type, FSubType), nullptr,
                               ado::adOptionUnspecified);
    if (!found->Eof()) break;
  }
  // Which step chose the template, for a tool that explains the choice (tavprint templates which).
  if (tavglobal::CallNotesWanted()) {
    const bool none = found->Eof();
    tavglobal::NoteForCaller(
        {std::u16string(tavglobal::kPrintTemplateStepNote), none ? 0 : number, chain.size(),
         none ? std::u16string() : std::u16string(chain[number - 1].looks_for)});
  }

  auto page = connection.Execute(Sql({tables.page_select, Num(type), tables.page_filter,
                                      u" and FPreparerId=", Num(CurrentUserId(context))}),
                                 nullptr, ado::adOptionUnspecified);
  if (page->Eof()) {
    page = connection.Execute(Sql({tables.page_select, Num(type), tables.page_filter,
                                   u" and FPreparerId=", AdministratorId()}),
                              nullptr, ado::adOptionUnspecified);
  }

  auto result = com::Make<vdl::Dictionary>();
  if (found->Eof()) return result;
  const Bstr page_text = page->Eof() ? Bstr() : TextOrEmpty(FieldValue(*page, u"FData"));
  auto entry = com::Make<vdl::List>();
  entry->Add(page_text);
  entry->Add(FieldValue(*found, u"FBlob"));
  result->Add(KeyPart(FieldValue(*found, tables.type_column)) + u"|" +
                  KeyPart(FieldValue(*found, tables.link_column)),
              entry);
  return result;
}

// The bill-type settings text "key,value|key,value|": text after a second comma is dropped and
// empty pieces are skipped.
DictionaryRef ParseBillTypeSettings(const Bstr& text) {
  auto settings = com::Make<vdl::Dictionary>();
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(u'|', start);
    if (end == Bstr::npos) end = text.size();
    const std::u16string_view piece = std::u16string_view(text).substr(start, end - start);
    if (!piece.empty()) {
      const std::size_t comma = piece.find(u',');
      if (comma == std::u16string_view::npos) {
        oleaut::RaiseVbError(oleaut::kSubscriptOutOfRange,
                             u"the bill-type setting '" + Bstr(piece) +
                                 u"' has no value: settings are key,value pairs joined by |");
      }
      const std::size_t second = piece.find(u',', comma + 1);
      settings->SetItem(piece.substr(0, comma),
                        Bstr(piece.substr(comma + 1, second == std::u16string_view::npos
                                                         ? std::u16string_view::npos
                                                         : second - comma - 1)));
    }
    start = end + 1;
  }
  return settings;
}

}  // namespace

DictionaryRef GetNotePrintData(frame::Instance& self, const Bstr& sDsn, std::int32_t fClassTypeId,
                               const Bstr& FSubType) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    return FindPrintTemplate(self.Context(), *self.Context().GetConnection(), kBillPrint,
                             BillChain(FSubType), fClassTypeId, FSubType);
  });
}

DictionaryRef GetRptNotePrintData(frame::Instance& self, const Bstr& sDsn, std::int32_t rptId,
                                  const Bstr& FSubType) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    return FindPrintTemplate(self.Context(), *self.Context().GetConnection(), kReportPrint,
                             ReportChain(FSubType), rptId, FSubType);
  });
}

DictionaryRef GetPageAndPrintSet(frame::Instance& self, const Bstr& sDsn,
                                 std::int32_t fClassTypeId) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    const auto connection = self.Context().GetConnection();
    const Bstr type = Num(fClassTypeId);
    auto rows = connection->Execute(
        Sql({u"Select FPrintSet From T_ExcelPrintExport Where FBillId=0 And FBillType=", type,
             u" And FPreparerId=", Num(CurrentUserId(self.Context()))}),
        nullptr, ado::adOptionUnspecified);
    if (rows->Eof()) {
      rows = connection->Execute(
          Sql({u"Select FPrintSet From T_ExcelPrintExport Where FBillId=0 And FBillType=", type,
               u" And FPreparerId=", AdministratorId()}),
          nullptr, ado::adOptionUnspecified);
    }
    auto result = com::Make<vdl::Dictionary>();
    // The value, not the field: the caller reads the blob after the recordset is gone.
    if (!rows->Eof()) result->SetItem(u"Set", rows->Fields()->Item(0)->Value());
    rows->Close();
    return result;
  });
}

DictionaryRef GetCurrNote(frame::Instance& self, const Bstr& sDsn, std::int32_t fClssTypeId) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    const auto connection = self.Context().GetConnection();
    const Bstr type = Num(fClssTypeId);

    auto result = com::Make<vdl::Dictionary>();
    const auto own = connection->Execute(
        Sql({u"Select * From T_ExcelPrintExport  Where FBillId>0 And FBillType=", type,
             u" And FPreparerId=", Num(CurrentUserId(self.Context()))}),
        nullptr, ado::adOptionUnspecified);
    for (; !own->Eof(); own->MoveNext()) {
      const std::int32_t bill_id = oleaut::ToLong(FieldValue(*own, u"FBillId"));
      const std::int32_t bill_type = oleaut::ToLong(FieldValue(*own, u"FBillType"));
      auto row = com::Make<vdl::List>();
      row->Add(bill_id);
      row->Add(bill_type);
      // A row without a name lists as the empty name, as the template lists show it.
      row->Add(TextOrEmpty(FieldValue(*own, u"fname")));
      row->Add(FieldValue(*own, u"fData"));
      result->Add(oleaut::Trim(Num(bill_type)) + u"|" + oleaut::Trim(Num(bill_id)), row);
    }

    const auto save_by_user = connection->Execute(
        u"SELECT FData From T_ExcelPrintExport Where FBillType=0 and FBillId =0 and "
        u"FName='SaveByUser'",
        nullptr, ado::adOptionUnspecified);
    if (save_by_user->Eof()) {
      result->SetItem(u"SaveByUser", std::int16_t{1});
    } else {
      result->SetItem(u"SaveByUser", oleaut::ToLong(FieldValue(*save_by_user, u"FData")));
    }

    const auto settings_row = connection->Execute(
        Sql({u"SELECT FData From T_ExcelPrintExport Where FBillType=", type, u" and FBillId =-1"}),
        nullptr, ado::adOptionUnspecified);
    DictionaryRef settings =
        settings_row->Eof()
            ? com::Make<vdl::Dictionary>()
            : ParseBillTypeSettings(TextOrEmpty(settings_row->Fields()->Item(0)->Value()));
    result->Add(u"BillTypeSet", settings);
    return result;
  });
}

}  // namespace templates
