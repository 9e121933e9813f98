// Print counters: the text that shows how often a bill was printed, and counting a print.
#include "billdata/counters.h"

#include "billdata/caller_sql.h"
#include "frame/error_styles.h"
#include "frame/sql_text.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using frame::Num;
using frame::Sql;
using oleaut::Bstr;
using oleaut::Variant;
using DictionaryRef = com::Ptr<vdl::Dictionary>;

namespace {

// RecordCount is known: the bound connection gives client-side cursors.
bool HasRecords(const ado::Recordset& rows) {
  return rows.State() == ado::adStateOpen && rows.RecordCount() > 0;
}

}  // namespace

Bstr GetBillPrintCount(frame::Instance& self, const Bstr& sDsn, const Bstr& sInterID,
                       std::int32_t lBillTranType) {
  self.Context().MarkComplete();
  self.BindToDsn(sDsn);
  const auto connection = self.Context().GetConnection();

  const auto switch_rows = connection->Execute(
      Sql({u" select FShowPrintTimes from ICPrintMaxCount where FID = ", Num(lBillTranType)}),
      nullptr, ado::adOptionUnspecified);
  const std::int32_t show_print_times =
      HasRecords(*switch_rows)
          ? oleaut::ToLong(switch_rows->Fields()->Item(u"FShowPrintTimes")->Value())
          : 0;
  if (show_print_times != 1) return {};

  // Checked only here, where it goes into a statement: with the switch off any text gives "".
  RequireWholeNumber(sInterID, u"sInterID", u"TAVMPrintExport.clsGetData");

  const auto count_rows =
      connection->Execute(Sql({u" select * from ICPrintCount where FID = ", Num(lBillTranType),
                               u" and FInterID = ", sInterID}),
                          nullptr, ado::adOptionUnspecified);
  if (count_rows->State() != ado::adStateOpen) return {};
  if (!HasRecords(*count_rows)) return u"已打印0次";
  const Variant count = count_rows->Fields()->Item(u"FPrintCount")->Value();
  return u"已打印" + (count.IsNull() ? Bstr() : oleaut::ToString(count)) + u"次";
}

void UpdatePrintCount(frame::Instance& self, const Bstr& sDsn, const DictionaryRef& dctPCData) {
  constexpr std::u16string_view kSource = u"TAVMPrintExport.clsPrintSetupUpdate";
  frame::TrapMarkFailedAndReraise(&self.Context(), [&] {
    const auto connection = self.BindToDsn(sDsn);
    self.Context().MarkFailed();
    const Bstr table = SqlNameItem(dctPCData, u"dctPCData", u"TableName", kSource);
    const Bstr field = SqlNameItem(dctPCData, u"dctPCData", u"FieldName", kSource);
    const Bstr key = SqlNameItem(dctPCData, u"dctPCData", u"PriKey", kSource);
    const Bstr ids = IdListItem(dctPCData, u"dctPCData", u"InterIDs", kSource);
    connection->Execute(Sql({u"UPDATE ", table, u" SET ", field, u" = ", field, u" + 1 WHERE ", key,
                             u" IN(  ", ids, u")\r\n"}),
                        nullptr, ado::adOptionUnspecified);
    self.Context().MarkComplete();
  });
}

}  // namespace billdata
