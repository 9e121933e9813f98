// Bill head data: one row per selected bill, built from the template's head controls,
// materialised in the session's #tmpBillHeadPrint and, for summary printing, rewritten so that
// every row carries the values of all selected bills.
#include <string_view>

#include "billdata/fill_data.h"
#include "billdata/fill_request.h"
#include "billdata/fill_start.h"
#include "billdata/head_statement.h"
#include "frame/error_styles.h"
#include "frame/sql_quote.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using frame::SqlQuote;
using frame::SqlQuoteKeepBreaks;
using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

// How summary printing rewrites one column: the values are read (each name once, each quantity
// once per bill), joined with "," and cut at `width`, and the column is widened to `widened` to
// hold the text before it is written into every row. `assign` is the statement's own spelling
// of the assignment.
struct SummaryRewrite {
  SummaryColumn column;
  std::u16string_view name;
  bool distinct;
  std::size_t width;
  std::u16string_view widened;
  std::u16string_view assign;
  bool keep_breaks;
};

constexpr SummaryRewrite kSummaryRewrites[] = {
    {SummaryColumn::SupplyId, u"FSupplyIDName", true, 255, u"255", u" = ", false},
    {SummaryColumn::DeptId, u"FDEPTIDName", true, 255, u"255", u" =", false},
    // The item-name column is widened to 510 while its text is cut at 255.
    {SummaryColumn::MoItemId, u"FMOITEMIDNAME", true, 255, u"510", u" =", false},
    {SummaryColumn::BillNo, u"FBILLNO", true, 255, u"255", u" =", true},
    {SummaryColumn::MoQty, u"FMOQty", false, 100, u"100", u" =", true},
    {SummaryColumn::MoAuxQty, u"FMOAuxQty", false, 100, u"100", u" =", true},
};

void PrintSummaries(const HeadStatement& statement, const com::Ptr<ado::Connection>& connection) {
  const auto recordset = ClientRecordset(connection);
  for (const SummaryRewrite& rewrite : kSummaryRewrites) {
    if (!statement.HasSummaryColumn(rewrite.column)) continue;
    if (recordset->State() == ado::adStateOpen) recordset->Close();
    recordset->Open(Variant(Bstr(u" select ") + (rewrite.distinct ? u"distinct " : u"") +
                            Bstr(rewrite.name) + u" FROM #tmpBillHeadPrint "));
    Bstr joined;
    while (!recordset->Eof()) {
      const Variant& value = recordset->Fields()->Item(std::int32_t{0})->Value();
      if (!value.IsNull()) joined += oleaut::ToString(value) + u",";
      recordset->MoveNext();
    }
    if (joined.empty()) continue;
    joined.pop_back();
    if (joined.size() > rewrite.width) joined.resize(rewrite.width);
    const Variant text(joined);
    connection->Execute(
        u" ALTER TABLE  #tmpBillHeadPrint ALTER COLUMN " + Bstr(rewrite.name) + u" VARCHAR(" +
        Bstr(rewrite.widened) + u")  \r\n update #tmpBillHeadPrint set " + Bstr(rewrite.name) +
        Bstr(rewrite.assign) + (rewrite.keep_breaks ? SqlQuoteKeepBreaks(text) : SqlQuote(text)));
  }
}

}  // namespace

std::int32_t GetHeadFillData(frame::Instance& self, const Bstr& sDsn,
                             const DictionaryRef& pCondition, const DictionaryRef& dicStruct,
                             Variant& pRetRs, bool SumNotePrint) {
  std::int32_t result = 1;
  frame::TrapWithSourcePrefix(&self.Context(), u"GetHeadFillData", result, [&] {
    const auto [connection, structure, bill_info] = StartFill(self, sDsn, dicStruct);
    result = 1;
    const Bstr head_table = ValueText(*bill_info, u"FHeadTable");
    const Bstr key_item = ValueText(*bill_info, u"FKeyItemID");
    const Bstr key_inter = ValueText(*bill_info, u"FKeyInterID");
    if (head_table.empty()) {
      result = -1;
      return;
    }
    const auto [tran_type, selection] = ReadBillsAsked(pCondition);

    const auto page0 = OptionalList(structure, u"Page0");
    if (!page0) {
      result = -1;
      return;
    }
    HeadStatement statement(structure, head_table, key_inter, key_item, tran_type,
                            selection.id_list);
    for (std::int32_t i = 1; i <= page0->UpperBound(); ++i)
      statement.AddControl(*ControlAt(*page0, u"Page0", i), i);
    if (const auto page_h = OptionalList(structure, u"PageH")) statement.AddStoredControls(*page_h);

    RequireSelection(selection);
    connection->Execute(statement.MaterialiseBatch());
    if (SumNotePrint) PrintSummaries(statement, connection);

    const auto recordset = ClientRecordset(connection);
    recordset->Open(Variant(Bstr(u"SELECT * FROM #tmpBillHeadPrint ")));
    pRetRs = Variant(recordset);
  });
  return result;
}

}  // namespace billdata
