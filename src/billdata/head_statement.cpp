#include "billdata/head_statement.h"

#include <algorithm>
#include <iterator>

#include "billdata/bill_helpers.h"
#include "billdata/bill_kinds.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

namespace {

constexpr std::int32_t kCtlLookUp = 2;

// The upper-cased field names that mark summary columns, in SummaryColumn order.
constexpr std::u16string_view kSummaryFields[] = {u"FSUPPLYID", u"FDEPTID", u"FMOITEMID",
                                                  u"FBILLNO",   u"FMOQTY",  u"FMOAUXQTY"};

}  // namespace

Bstr PlaceholderColumn(const Variant& ctl_type, const Bstr& field) {
  // ctlqty, ctlAmount, ctlPrice, ctlTaxRate, ctlExchangeRate, ctlTaxPrice, ctlUserNumber,
  // ctlUserInt, ctlStdAmount
  if (IsInArray(ctl_type, {3, 11, 12, 13, 20, 21, 31, 33, 40})) {
    return u" cast(0 as decimal(28,14)) AS " + field + u",";
  }
  return u" cast('' as varchar(255)) AS " + field + u",";
}

HeadStatement::HeadStatement(const vdl::Dictionary& dicStruct, Bstr head_table, Bstr key_inter_id,
                             Bstr key_item_id, std::int32_t tran_type, const Bstr& id_list)
    : dic_struct_(dicStruct),
      head_table_(std::move(head_table)),
      key_item_id_(std::move(key_item_id)),
      tran_type_(tran_type) {
  RequireBillInfoPiece(head_table_, u"FHeadTable", PieceKind::kName);
  RequireBillInfoPiece(key_inter_id, u"FKeyInterID", PieceKind::kColumn);
  select_ = u"SELECT " + head_table_ + u"." + key_inter_id + u",";
  from_ = u" FROM " + head_table_;
  where_ = u" WHERE " + head_table_ + u"." + key_inter_id + u" IN (" + id_list + u") AND ";
}

void HeadStatement::AddControl(const vdl::Dictionary& control, std::int32_t index) {
  if (tran_type_ == kTranTypeWithoutAuxPropClass &&
      ItemText(control, u"FFieldName") == u"FAuxPropCls")
    return;
  const std::int32_t position = oleaut::ToLong(control.GetValue(u"FCtlIndex", 0));
  if (position < 0) return;
  const ControlPieces pieces(control, u"Page0", index);
  const Bstr field = pieces.Field();
  const Bstr ord = Alias(position);
  if (std::ranges::find(kSummaryTranTypes, tran_type_) != std::end(kSummaryTranTypes))
    NoteSummaryColumn(field);
  if (ValueFlag(control, u"FRelateOutTbl", false)) {
    AddOutsideColumn(pieces, field, ord);
  } else {
    AddHeadColumn(pieces, field, ord);
  }
}

void HeadStatement::NoteSummaryColumn(const Bstr& field) {
  const Bstr upper = oleaut::UCase(field);
  for (std::size_t i = 0; i < std::size(kSummaryFields); ++i) {
    if (upper == kSummaryFields[i]) summary_[i] = true;
  }
}

bool HeadStatement::Joined(const Bstr& ord) const {
  return Contains(from_, u"t" + ord);
}

Bstr HeadStatement::RelatedAlias(const Bstr& rel, const Bstr& field) const {
  const auto related = RelatedControl(dic_struct_, u"P0_", rel, field);
  return Alias(oleaut::ToLong(related->Item(u"FCtlIndex")));
}

void HeadStatement::AddNumberAndName(const ControlPieces& control, const Bstr& field,
                                     const Bstr& ord) {
  select_ += u" t" + ord + u"." + control.Item(u"FNumber", PieceKind::kColumn) + u" as  " + field +
             u"Number,";
  select_ +=
      u" t" + ord + u"." + control.Item(u"FName", PieceKind::kColumn) + u" as  " + field + u"Name,";
}

// The control's value is a column of the head table, with the code and name of the row it
// refers to when the control looks one up.
void HeadStatement::AddHeadColumn(const ControlPieces& control, const Bstr& field,
                                  const Bstr& ord) {
  const vdl::Dictionary& record = control.Record();
  select_ += u" " + head_table_ + u"." + field + u",";

  // ctlSelBill, ctlChecker, ctlBiller, ctlRecorder, ctlBillModifier, ctlMultiChecker
  if (IsInArray(record.Item(u"FCtlType"), {5, 8, 9, 18, 22, 25})) {
    AddNumberAndName(control, field, ord);
    if (!Joined(ord)) {
      from_ += u" left join " + control.Item(u"FGetTable", PieceKind::kName) + u"  t" + ord +
               u" on " + head_table_ + u"." + field + u"=" + u" t" + ord + u"." +
               control.Item(u"FInterID", PieceKind::kColumn) + u" ";
    }
  }

  if (oleaut::ToLong(record.GetValue(u"FCtlType", 0)) != kCtlLookUp) return;
  const std::int32_t save_value = oleaut::ToLong(record.GetValue(u"FSaveValue", 0));
  const std::int32_t lookup_class = oleaut::ToLong(record.GetValue(u"FLookUpCls", 0));
  if (save_value == 1 && lookup_class != kCodedLookupClass) {
    AddNumberAndName(control, field, ord);
    if (lookup_class == kItemLookupClass) {
      select_ += u" t" + ord + u".FQtyDecimal,";
      select_ += u" t" + ord + u".FPriceDecimal,";
      select_ += u" t" + ord + u".FUnitGroupID,";
    }
    if (!Joined(ord)) {
      const std::u16string_view join =
          oleaut::EqualsNoCase(field, key_item_id_) ? u" join " : u" left join ";
      from_ += Bstr(join) + control.Item(u"FGetTable", PieceKind::kName) + u"  t" + ord + u" on " +
               head_table_ + u"." + field + u"=" + u" t" + ord + u"." +
               control.Item(u"FInterID", PieceKind::kColumn) + u" ";
    }
  } else if (lookup_class == kCodedLookupClass) {
    AddNumberAndName(control, field, ord);
    // Codes of the coded lookup class are a prefix and a number: the status column maps its states
    // to ZT1, ZT3 or ZT4; the other columns refer to the single row LY1, LX1 or 1.
    const Bstr name = oleaut::UCase(
        WithoutBlanks(std::u16string_view(field).substr(std::min<std::size_t>(1, field.size()))));
    const std::u16string_view prefix = name == u"MRP"      ? u"LY"
                                       : name == u"STATUS" ? u"ZT"
                                       : name == u"TYPE"   ? u"LX"
                                                           : u"";
    Bstr key = u"'" + Bstr(prefix) + u"'+convert(varchar,(";
    if (name == u"STATUS") {
      key += u"+";
      key += u"(SELECT CASE " + head_table_ + u"." + field +
             u" when 0 then 1 when 3 then 3 when 5 then 4 else 1 END) ";
      key += u"))";
    } else {
      key += u"+1))";
    }
    if (!Joined(ord)) {
      from_ += u" left join " + control.Item(u"FGetTable", PieceKind::kName) + u"  t" + ord +
               u" on " + key + u"=" + u" t" + ord + u"." +
               control.Item(u"FNumber", PieceKind::kColumn) + u" ";
    }
  }
}

// The control's value comes from another table, reached through a relation to another control
// (its action says how), or is a placeholder when it has none.
void HeadStatement::AddOutsideColumn(const ControlPieces& control, const Bstr& field,
                                     const Bstr& ord) {
  const vdl::Dictionary& record = control.Record();
  const Bstr relation = ValueText(record, u"FRelationID");
  const Bstr rel = Contains(relation, u",") ? Bstr() : relation;
  const Bstr action = ValueText(record, u"FAction");
  Bstr t[9];
  for (std::int16_t i = 1; i <= 8; ++i)
    t[i] = GetToken(action, i, u",");
  const auto column = [&](std::int32_t i) -> const Bstr& {
    return control.ActionToken(t[i], i, PieceKind::kColumn);
  };

  if (Contains(action, u".A3")) {
    if (rel.empty()) return;
    select_ += RelatedColumnItem(t, ord, field, control);
    if (!Joined(ord)) {
      from_ += u" left join " + control.ActionToken(t[3], 3, PieceKind::kName) + u"  t" + ord +
               u" on " + head_table_ + u"." + column(2) + u"=" + u" t" + ord + u"." + column(4) +
               u" ";
    }
  } else if (t[1] == u".A") {
    if (rel.empty()) return;
    select_ += u"(SELECT " + control.Item(u"FName", PieceKind::kName) + u" FROM " +
               control.Item(u"FGetTable", PieceKind::kName) + u" WHERE t" +
               RelatedAlias(rel, field) + u"." + column(2) + u"=" +
               control.Item(u"FInterID", PieceKind::kName) + u") as " + field + u",";
  } else if (t[1] == u".") {
    if (rel.empty()) return;
    const Bstr rel_ord = RelatedAlias(rel, field);
    if (t[3].empty()) {
      select_ += u" t" + rel_ord + u"." + column(2) + u" as " + field + u",";
      return;
    }
    const Bstr key = control.Item(u"FInterID", PieceKind::kColumn);
    select_ +=
        u" t" + ord + u"." + control.Item(u"FName", PieceKind::kColumn) + u" as " + field + u",";
    if (!Joined(ord)) {
      from_ += u" left join " + control.Item(u"FGetTable", PieceKind::kName) + u"  t" + ord +
               u" on t" + rel_ord + u"." + column(3) + u"=" + u" t" + ord + u"." + key + u" ";
    }
    where_ += u" t" + rel_ord + u"." + column(3) + u"=" + u" t" + ord + u"." + key + u" AND";
  } else {
    select_ += PlaceholderColumn(record.Item(u"FCtlType"), field);
  }
}

void HeadStatement::AddStoredControls(const vdl::List& page_h) {
  for (std::int32_t i = page_h.LowerBound(); i <= page_h.UpperBound(); ++i) {
    const auto control = ControlAt(page_h, u"PageH", i);
    if (ValueFlag(*control, u"FNeedSave", false)) {
      select_ += u" " + head_table_ + u"." + ControlPieces(*control, u"PageH", i).Field() + u",";
    }
  }
}

Bstr HeadStatement::MaterialiseBatch() const {
  return u"IF  object_id('tempdb..#tmpBillHeadPrint') is not null drop table #tmpBillHeadPrint " +
         LeftOf(select_, TrimmedLength(select_) - 1) + u"\r\n" + u" INTO #tmpBillHeadPrint " +
         from_ + u"\r\n" + LeftOf(where_, TrimmedLength(where_) - 3);
}

}  // namespace billdata
