// The template lookups that serve printing: which template body a user prints a bill type or a
// report with (falling back to the administrator's choice and then to anyone's), the user's page
// settings, and the user's own assignment rows with the bill-type settings and the switch.
#include "templates/lookup.h"

#include <initializer_list>
#include <span>
#include <string_view>

#include "frame/error_styles.h"
#include "frame/sql_quote.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/call_notes.h"
#include "platform/vdl/list.h"
#include "templates/store_support.h"

namespace templates {

namespace {

using DictionaryRef = com::Ptr<vdl::Dictionary>;

// The blanks after the join condition that opens a step's statement: the first step of the
// chains for a sub-type has one and every other step two. Statement texts stay exactly as they
// are, blank for blank, because SQL Server caches plans by the exact text and traces are
// compared by it, so the two spellings are kept rather than merged.
enum class JoinEnd { kOneBlank, kTwoBlanks };

// Whose assignment a step looks for: its statement ends with that user's id, or names no user.
enum class Owner { kUser, kAdministrator, kAnyone };

// One step of a fallback chain: what it looks for, and the pieces of its statement around the
// type id: how the join before it ends; after it the sub-type filter, followed by the requested
// sub-type (empty when the step does not name the sub-type), and the rest up to the owner's id.
struct ChainStep {
  std::u16string_view looks_for;
  JoinEnd join;
  std::u16string_view sub_type_filter;
  std::u16string_view condition;
  Owner owner;
};

constexpr std::u16string_view kSubTypeIs = u" And i.FBillTypeSub=";
constexpr std::u16string_view kSelectedOf = u" and i.FSel=1 and FPreparerId=";
constexpr std::u16string_view kNoSubTypeSelectedOf =
    u" And i.FBillTypeSub='' and i.FSel=1 and FPreparerId=";
constexpr std::u16string_view kAnySelectedOf = u" And i.FSel=1 and FPreparerId=";

constexpr ChainStep kBillChainForSubType[] = {
    {u"the user's own selected template of the sub-type", JoinEnd::kOneBlank, kSubTypeIs,
     kSelectedOf, Owner::kUser},
    {u"the user's own selected template without sub-type", JoinEnd::kTwoBlanks, u"",
     kNoSubTypeSelectedOf, Owner::kUser},
    {u"the administrator's selected template of the sub-type", JoinEnd::kTwoBlanks, kSubTypeIs,
     kSelectedOf, Owner::kAdministrator},
    {u"the administrator's selected template without sub-type", JoinEnd::kTwoBlanks, u"",
     kNoSubTypeSelectedOf, Owner::kAdministrator},
    {u"another user's selected template of the sub-type", JoinEnd::kTwoBlanks, kSubTypeIs,
     u" and i.FSel=1", Owner::kAnyone},
};
constexpr ChainStep kBillChain[] = {
    {u"the user's own selected template without sub-type", JoinEnd::kTwoBlanks, u"",
     u" And isnull(i.FBillTypeSub, '') = ''  And i.FSel=1 and FPreparerId=", Owner::kUser},
    {u"the administrator's selected template (of any sub-type)", JoinEnd::kTwoBlanks, u"",
     kAnySelectedOf, Owner::kAdministrator},
};

// Reports have no sub-type: a requested one only decides whether anyone's template is the last
// resort.
constexpr ChainStep kReportAdministrators{u"the administrator's selected template",
                                          JoinEnd::kTwoBlanks, u"", kAnySelectedOf,
                                          Owner::kAdministrator};
constexpr ChainStep kReportChainForSubType[] = {
    {u"the user's own selected template", JoinEnd::kOneBlank, u"", kAnySelectedOf, Owner::kUser},
    kReportAdministrators,
    {u"another user's selected template", JoinEnd::kTwoBlanks, u"", u" And i.FSel=1",
     Owner::kAnyone},
};
constexpr ChainStep kReportChain[] = {
    {u"the user's own selected template", JoinEnd::kTwoBlanks, u"", kAnySelectedOf, Owner::kUser},
    kReportAdministrators,
};

// The literal pieces of one flavour's page-text lookup, the columns of its result key, and its
// fallback steps: the type filter after their join (the type id follows), the chain when no
// sub-type is asked for and the one when it is.
struct PrintTables {
  std::u16string_view page_select;  // up to the type id
  std::u16string_view page_filter;  // between the type id and " and FPreparerId="
  std::u16string_view type_column;
  std::u16string_view link_column;
  std::u16string_view step_join;  // up to the blanks after the join condition
  std::u16string_view step_type_filter;
  std::span<const ChainStep> chain;
  std::span<const ChainStep> chain_for_sub_type;
};

constexpr PrintTables kBillPrint{u"Select FData from T_ExcelPrintExport where fbilltype=",
                                 u" and fbillid=0 ",
                                 u"FBillType",
                                 u"FBillId",
                                 u"Select c.FData as FBlob,i.* From T_ExcelPrintExport i inner "
                                 u"Join T_ExcelPrintExportNote c  On i.FbillId=c.FId",
                                 u" Where i.FBillType=",
                                 kBillChain,
                                 kBillChainForSubType};
constexpr PrintTables kReportPrint{u"Select FData from T_RptExcelPrintExport where FRptId=",
                                   u" and FNoteId=0 ",
                                   u"FRptId",
                                   u"FNoteId",
                                   u"Select c.FData as FBlob,i.* From T_RptExcelPrintExport i "
                                   u"inner Join T_RptExcelPrintExportNote c  On i.FNoteId=c.FId",
                                   u" Where i.FRptId=",
                                   kReportChain,
                                   kReportChainForSubType};

// A step's statement, built only when the steps before it found nothing, since it may need the
// user's id from the context.
Bstr StepStatement(const ChainStep& step, const PrintTables& tables,
                   tavglobal::DataContext& context, std::int32_t type, const Bstr& sub) {
  Bstr text = Sql({tables.step_join, step.join == JoinEnd::kOneBlank ? u" " : u"  ",
                   tables.step_type_filter, Num(type)});
  if (!step.sub_type_filter.empty()) {
    text += step.sub_type_filter;
    text += SqlQuote(sub);
  }
  text += step.condition;
  if (step.owner == Owner::kUser) text += Num(CurrentUserId(context));
  if (step.owner == Owner::kAdministrator) text += AdministratorId();
  return text;
}

// The rows of `statement` (its text up to a user's id) for the current user, or the
// administrator's when the user has none.
com::Ptr<ado::Recordset> UserElseAdministrator(
    tavglobal::DataContext& context, ado::Connection& connection,
    std::initializer_list<std::u16string_view> statement) {
  auto rows = connection.Execute(Sql(statement) + Num(CurrentUserId(context)), nullptr,
                                 ado::adOptionUnspecified);
  if (rows->Eof()) {
    rows =
        connection.Execute(Sql(statement) + AdministratorId(), nullptr, ado::adOptionUnspecified);
  }
  return rows;
}

Bstr KeyPart(const Variant& id) {
  return oleaut::Trim(Num(oleaut::ToLong(id)));
}

DictionaryRef FindPrintTemplate(tavglobal::DataContext& context, ado::Connection& connection,
                                const PrintTables& tables, std::int32_t type,
                                const Bstr& FSubType) {
  const std::span<const ChainStep> chain =
      FSubType.empty() ? tables.chain : tables.chain_for_sub_type;
  com::Ptr<ado::Recordset> found;
  std::size_t number = 0;
  while (number < chain.size()) {
    const ChainStep& next = chain[number++];
    found = connection.Execute(StepStatement(next, tables, context, type, FSubType), nullptr,
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

  const Bstr type_text = Num(type);
  const auto page = UserElseAdministrator(
      context, connection,
      {tables.page_select, type_text, tables.page_filter, u" and FPreparerId="});

  auto result = com::Make<vdl::Dictionary>();
  if (found->Eof()) return result;
  const Bstr page_text = page->Eof() ? Bstr() : TextOrEmpty(FieldValue(*page, u"FData"));
  result->Add(KeyPart(FieldValue(*found, tables.type_column)) + u"|" +
                  KeyPart(FieldValue(*found, tables.link_column)),
              vdl::ListOf({page_text, FieldValue(*found, u"FBlob")}));
  return result;
}

// GetNotePrintData and GetRptNotePrintData, for the flavour `tables`.
DictionaryRef PrintData(frame::Instance& self, const Bstr& sDsn, const PrintTables& tables,
                        std::int32_t type, const Bstr& FSubType) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    return FindPrintTemplate(self.Context(), *self.Context().GetConnection(), tables, type,
                             FSubType);
  });
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
  return PrintData(self, sDsn, kBillPrint, fClassTypeId, FSubType);
}

DictionaryRef GetRptNotePrintData(frame::Instance& self, const Bstr& sDsn, std::int32_t rptId,
                                  const Bstr& FSubType) {
  return PrintData(self, sDsn, kReportPrint, rptId, FSubType);
}

DictionaryRef GetPageAndPrintSet(frame::Instance& self, const Bstr& sDsn,
                                 std::int32_t fClassTypeId) {
  return frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    self.Context().MarkComplete();
    self.BindToDsn(sDsn);
    const auto connection = self.Context().GetConnection();
    const Bstr type = Num(fClassTypeId);
    const auto rows = UserElseAdministrator(
        self.Context(), *connection,
        {u"Select FPrintSet From T_ExcelPrintExport Where FBillId=0 And FBillType=", type,
         u" And FPreparerId="});
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
      // A row without a name lists as the empty name, as the template lists show it.
      const auto row = vdl::ListOf({bill_id, bill_type, TextOrEmpty(FieldValue(*own, u"fname")),
                                    FieldValue(*own, u"fData")});
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
