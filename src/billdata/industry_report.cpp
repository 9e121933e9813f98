#include "billdata/industry_report.h"

#include <vector>

#include "billdata/bill_helpers.h"
#include "billdata/caller_sql.h"
#include "billdata/fill_request.h"
#include "frame/sql_quote.h"
#include "frame/sql_text.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/globals.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

namespace {

// VB's Split: "" gives no element, "a,,b" three.
std::vector<Bstr> Split(std::u16string_view text, char16_t separator) {
  std::vector<Bstr> parts;
  if (text.empty()) return parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.emplace_back(
        text.substr(start, at == std::u16string_view::npos ? text.npos : at - start));
    if (at == std::u16string_view::npos) return parts;
    start = at + 1;
  }
}

Bstr Normalised(std::u16string_view name) {
  return oleaut::UCase(WithoutBlanks(name));
}

// Whether the template's caption of an entry column says it is an amount.
bool IsAmountColumn(const com::Ptr<ado::Connection>& connection, std::int32_t tran_type,
                    const Bstr& column) {
  const Bstr caption = GetFirstFieldText(
      connection,
      u"select a.fheadcaption from ictemplateentry a,ictransactiontype b where "
      u"a.fid=b.ftemplateid and b.fid=" +
          frame::Num(tran_type) + u" and a.ffieldname=" + frame::SqlQuote(Variant(column)));
  return Contains(caption, u"金额");
}

// The report's column list ("a.X,a.Y") and amount sums (",sum(a.Z) as Z "): a column named in the
// mask is left out; a self-defined entry column whose caption is an amount is summed; every
// other column is listed.
struct ReportColumns {
  Bstr listed;
  Bstr sums;
};

ReportColumns ChooseColumns(const com::Ptr<ado::Connection>& connection,
                            const ado::Recordset& probe, const std::vector<Bstr>& mask,
                            std::int32_t tran_type) {
  ReportColumns columns;
  const auto fields = probe.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i) {
    const Bstr name = fields->Item(i)->Name();
    enum class Outcome { Listed, Masked, Summed } outcome = Outcome::Listed;
    for (const Bstr& element : mask) {
      if (Normalised(element) == Normalised(name)) {
        outcome = Outcome::Masked;
        break;
      }
      if (Contains(oleaut::LCase(name), u"fentryself") &&
          IsAmountColumn(connection, tran_type, name)) {
        outcome = Outcome::Summed;
        break;
      }
    }
    // A column the template named in brackets keeps them, so that it stays one name.
    const Bstr column = SqlNameText(name);
    if (outcome == Outcome::Listed) columns.listed += u"a." + column + u",";
    if (outcome == Outcome::Summed) columns.sums += u",sum(a." + column + u") as " + column + u" ";
  }
  if (columns.listed.empty()) {
    oleaut::RaiseVbError(oleaut::kInvalidProcedureCall,
                         u"the mask of the local report database's statement for bill type " +
                             frame::Num(tran_type) + u" leaves out every column of #tmpBillPrint");
  }
  columns.listed.pop_back();
  return columns;
}

// Whether the "NotePrintSingle" profile lets the report statement print several bills at once.
bool ProfileAllowsReport(const Bstr& sDsn, const Bstr& template_id) {
  const auto profile = com::As<com::Dispatch>(
      tavglobal::ObjectCreator::Current().CreateByProgID(u"TAVEBSBase.SystemProfile"));
  if (!profile) {
    oleaut::RaiseVbError(oleaut::kNoSuchMember,
                         u"TAVEBSBase.SystemProfile cannot be called by name");
  }
  const Variant text = profile->Call(u"GetProfile", sDsn, Bstr(u"NotePrintSingle"), template_id);
  return oleaut::Val(Text(text)) == 0;
}

// A literal of a size code: the codes are the application's own data, but a code holding an
// apostrophe must not end the literal early.
Bstr CodeLiteral(const Bstr& code) {
  return u"'" + oleaut::Replace(code, u"'", u"''") + u"'";
}

}  // namespace

Bstr IndustryReportStatement(const com::Ptr<ado::Connection>& connection, const Bstr& sDsn,
                             std::int32_t tran_type, const Bstr& template_id,
                             com::Ptr<ado::Recordset>& probe) {
  const Bstr type_text = frame::Num(tran_type);
  const auto report_db = OpenJetConnection(GetSystemDir() + u"TAVCom\\Orvanta.mdb");
  const std::vector<Bstr> mask = Split(
      GetFirstFieldText(report_db,
                        u"select FMaskFld From T_RepNotePrintSql where ftrantypeid=" + type_text),
      u',');

  probe = connection->Execute(u"SELECT * FROM #tmpBillPrint where 1=0");
  const ReportColumns columns = ChooseColumns(connection, *probe, mask, tran_type);

  Bstr report = GetFirstFieldText(
      report_db, u"select FRepSql From T_RepNotePrintSql where ftrantypeid=" + type_text);
  report = oleaut::Replace(report, u"?SelFields", columns.listed);

  if (!ProfileAllowsReport(sDsn, template_id) || report.empty()) return Bstr(kPlainEntryRead);

  const auto sizes = connection->Execute(
      u"select distinct c.FAuxFld2Number from #tmpBillPrint a left join ICItemAuxProp b on "
      u"a.FItemid=b.FItemid left join t_auxitem c on c.fItemid=b.fauxpropid ");
  if (sizes->Eof()) return Bstr(kPlainEntryRead);
  Bstr joined;
  const std::int32_t count = sizes->RecordCount();
  for (std::int32_t i = 0; i < count; ++i) {
    if (i > 0) joined += u',';
    joined += Text(sizes->Fields()->Item(std::int32_t{0})->Value());
    sizes->MoveNext();
  }

  Bstr sum_expression;
  Bstr case_columns;
  for (const Bstr& code : Split(joined, u',')) {
    // A size code that does not make a plain name with its "F" (S/M, 2 XL) is put in brackets.
    const Bstr column = SqlNameText(u"F" + code);
    sum_expression += u"P1." + column + u" +";
    case_columns += u" SUM(CASE b.FAuxFld2Number WHEN " + CodeLiteral(code) +
                    u" THEN a.fauxqty ELSE 0 END) AS " + column + u" , ";
  }
  case_columns += u" SUM(CASE b.FNumber WHEN '0' THEN a.fauxqty ELSE 0 END) AS fnullqty";
  case_columns += u" ,";
  sum_expression += u"P1.fnullqty +";
  sum_expression.pop_back();
  case_columns.pop_back();

  report = oleaut::Replace(report, u"P++", sum_expression);
  report = oleaut::Replace(report, u"SUM(Yard_Qty)", case_columns);
  report = oleaut::Replace(report, u",SUM(SelfDefAmt)", columns.sums);
  return report;
}

}  // namespace billdata
