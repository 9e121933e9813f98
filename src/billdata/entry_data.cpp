// Bill entry data: the entry lines of the selected bills, each tagged with its bill's position in
// the selection (#tmpsort), built from the template's entry controls, materialised in the
// session's #tmpBillPrint, read plainly or through the industry edition's report statement, and
// handed back with each item's printable bar code.
#include <optional>

#include "billdata/entry_statement.h"
#include "billdata/fill_data.h"
#include "billdata/fill_request.h"
#include "billdata/fill_start.h"
#include "billdata/industry_report.h"
#include "frame/context_helpers.h"
#include "frame/error_styles.h"
#include "frame/sql_text.h"
#include "platform/ado/recordset.h"

namespace billdata {

using frame::Num;
using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

// #tmpsort numbers the selected bills in the order of selection; a bill selected twice keeps the
// position of its first selection.
void SortSelection(ado::Connection& connection, const vdl::List& filter) {
  for (std::int32_t i = filter.LowerBound(); i <= filter.UpperBound(); ++i) {
    const Bstr id = Num(SelectedBillAt(filter, i));
    connection.Execute(u"if not exists(select top 1 1 from #tmpsort where FValue=" + id + u")" +
                       u"\r\n" + u"insert into #tmpsort (FValue) values (" + id + u")");
  }
}

// Every entry row of `base` with the printable bar code of its item, by bill and line.
Bstr WithBarCodes(const Bstr& base, const EntryTable& entry) {
  return u"select a.*,b.FBarCode from (" + Bstr(u"\r\n") + base + u"\r\n" + u") a " + u"\r\n" +
         u"left join (select FItemID,FBarCode from t_BarCode where FIsPrint=1) b" + u"\r\n" +
         u"on a.FItemID=b.FItemID " + u" order by " + entry.key_inter + u"," + entry.key_index;
}

}  // namespace

std::int32_t GetEntryFillData(frame::Instance& self, const Bstr& sDsn,
                              const DictionaryRef& pCondition, const DictionaryRef& dicStruct,
                              Variant& pRetRs) {
  std::int32_t result = 1;
  com::Ptr<ado::Recordset> held;
  try {
    frame::TrapWithSourcePrefix(&self.Context(), u"GetEntryFillData", result, [&] {
      const auto [connection, structure, bill_info] = StartFill(self, sDsn, dicStruct);
      result = 1;
      const Bstr template_id = ItemText(*bill_info, u"ftemplateid");
      EntryTable entry{ValueText(*bill_info, u"FEntryTable"), ValueText(*bill_info, u"FKeyInterID"),
                       ValueText(*bill_info, u"FKeyItemID"), ValueText(*bill_info, u"FKeyIndexID")};
      if (entry.table.empty()) {
        result = 0;
        return;
      }
      const auto [tran_type, selection] = ReadBillsAsked(pCondition);

      // The statement is built, and every name the template gives it checked, before anything
      // runs.
      const auto page1 = OptionalList(structure, u"Page1");
      std::optional<EntryStatement> statement;
      if (page1) {
        statement.emplace(structure, *bill_info, entry, tran_type, selection.id_list);
        for (std::int32_t i = page1->LowerBound(); i <= page1->UpperBound(); ++i)
          statement->AddControl(*ControlAt(*page1, u"Page1", i), i);
        if (const auto page_e = OptionalList(structure, u"PageE"))
          statement->AddStoredControls(*page_e);
        statement->AddDecimalDefaults();
      }

      connection->Execute(
          u"IF  object_id('tempdb..#tmpsort') is not null drop table #tmpsort"
          u"\r\n"
          u"create table #tmpsort(FID int identity ,FValue int)");
      SortSelection(*connection, *selection.filter);
      if (!statement) {
        result = 0;
        return;
      }

      RequireSelection(selection);
      connection->Execute(statement->MaterialiseBatch());

      const Bstr base =
          frame::GetIndustryVersion() != 1
              ? Bstr(kPlainEntryRead)
              : IndustryReportStatement(connection, sDsn, tran_type, template_id, held);

      held = ClientRecordset(connection);
      held->Open(Variant(WithBarCodes(base, entry)));
      connection->Execute(u"IF object_id('tempdb..#tmpsort') is not null drop table #tmpsort");
      pRetRs = Variant(held);
    });
  } catch (...) {
    pRetRs = Variant(held);
    throw;
  }
  return result;
}

}  // namespace billdata
