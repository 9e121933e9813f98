#include "billdata/entry_statement.h"

#include "billdata/bill_helpers.h"
#include "billdata/bill_kinds.h"
#include "billdata/head_statement.h"
#include "billdata/quality_columns.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

namespace {

// The part of an action that begins at `marker`, up to its next ";".
Bstr ActionPart(const Bstr& act, std::u16string_view marker) {
  return GetToken(std::u16string_view(act).substr(act.find(marker)), 1, u";");
}

}  // namespace

EntryStatement::EntryStatement(const vdl::Dictionary& dicStruct, const vdl::Dictionary& billInfo,
                               EntryTable entry, std::int32_t tran_type, const Bstr& id_list)
    : dic_struct_(dicStruct),
      bill_info_(billInfo),
      entry_(std::move(entry)),
      tran_type_(tran_type) {
  RequireBillInfoPiece(entry_.table, u"FEntryTable", PieceKind::kName);
  RequireBillInfoPiece(entry_.key_inter, u"FKeyInterID", PieceKind::kColumn);
  RequireBillInfoPiece(entry_.key_index, u"FKeyIndexID", PieceKind::kColumn);
  const Bstr& e = entry_.table;
  select_ = u"SELECT #tmpsort.FID," + e + u"." + entry_.key_inter + u",";
  from_ = u" FROM #tmpsort inner join " + e + u" on #tmpsort.FValue=" + oleaut::Trim(e) + u"." +
          oleaut::Trim(entry_.key_inter) + u" ";
  where_ = u" WHERE " + e + u"." + entry_.key_inter + u" IN (" + id_list + u") AND ";
}

bool EntryStatement::Joined(const Bstr& ord) const {
  return Contains(from_, u"t" + ord);
}

Bstr EntryStatement::RelatedAlias(const Bstr& rel, const Bstr& field) const {
  const auto related = RelatedControl(dic_struct_, u"P1_", rel, field);
  return Alias(oleaut::ToInteger(related->Item(u"FCtlOrder")));
}

void EntryStatement::AddControl(const vdl::Dictionary& control, std::int32_t index) {
  const std::int16_t order = oleaut::ToInteger(control.GetValue(u"FCtlOrder", 0));
  if (order <= 0) return;
  const Bstr ord = Alias(order);
  const ControlPieces pieces(control, u"Page1", index);
  const Bstr field = pieces.Field();
  const Bstr relation = ValueText(control, u"FRelationID");
  Bstr rel;
  Bstr act;
  if (!relation.empty() && !Contains(relation, u",")) {
    rel = GetToken(relation, 1, u",");
    act = ValueText(control, u"FAction");
  }
  if (ValueFlag(control, u"FRelateOutTbl", false)) {
    AddOutsideColumn(pieces, field, ord, rel, act, index);
  } else if (oleaut::UCase(field) == u"FAMOUNT" && tran_type_ == kTranTypeWithAmountExpression) {
    // The amount is computed from the line's own columns, "u1" standing for the entry table.
    const Bstr expression = oleaut::Replace(act, u"u1", entry_.table);
    select_ += u" " + pieces.ActionToken(GetToken(expression, 2, u","), 2, PieceKind::kArithmetic) +
               u" as FAmount , ";
  } else {
    AddEntryColumn(pieces, field, ord, rel);
  }
}

// The control's value comes from another table, reached through a relation whose action says
// how; without one it is a quality-inspection column, a source-bill reference or a placeholder.
void EntryStatement::AddOutsideColumn(const ControlPieces& control, const Bstr& field,
                                      const Bstr& ord, const Bstr& rel, const Bstr& act,
                                      std::int32_t index) {
  const vdl::Dictionary& record = control.Record();
  const Bstr& e = entry_.table;
  if (!Contains(act, u".")) {
    if (IsInArray(record.Item(u"FCtlType"), {5})) {  // ctlSelBill
      select_ += e + u"." + field + u" as " + control.Item(u"FInterID", PieceKind::kColumn) +
                 u", t" + ord + u"." + control.Item(u"FBillNo", PieceKind::kColumn) + u" as " +
                 field + u"Name ,";
      from_ += u" left join  " + control.Item(u"FGetTable", PieceKind::kName) + u" t" + ord +
               u" on  " + u" t" + ord + u"." + field + u"=" + e + u"." + field;
      return;
    }
    if (AppendQualityColumn(bill_info_, control, dic_struct_, index, select_)) return;
    select_ += PlaceholderColumn(record.Item(u"FCtlType"), field);
    return;
  }
  if (rel.empty()) return;

  if (!Contains(act, u".A")) {
    const Bstr a = ActionPart(act, u".");
    const Bstr t2 = GetToken(a, 2, u",");
    const Bstr t3 = GetToken(a, 3, u",");
    if (t3.empty()) {
      select_ += u" t" + RelatedAlias(rel, field) + u"." +
                 control.ActionToken(t2, 2, PieceKind::kColumn) + u" as " + field + u",";
      return;
    }
    select_ +=
        u" t" + ord + u"." + control.Item(u"FName", PieceKind::kColumn) + u" as " + field + u",";
    if (!Joined(ord)) {
      from_ += u" left join " + control.Item(u"FGetTable", PieceKind::kName) + u" t" + ord +
               u" on " + u" t" + ord + u"." + control.Item(u"FInterID", PieceKind::kColumn) + u"=" +
               u"t" + RelatedAlias(rel, field) + u"." +
               control.ActionToken(t3, 3, PieceKind::kColumn) + u" ";
    }
  } else if (!Contains(act, u".A3")) {
    const Bstr t2 = GetToken(ActionPart(act, u".A"), 2, u",");
    select_ += u"(SELECT " + control.Item(u"FName", PieceKind::kName) + u" FROM " +
               control.Item(u"FGetTable", PieceKind::kName) + u" WHERE t" +
               RelatedAlias(rel, field) + u"." + control.ActionToken(t2, 2, PieceKind::kColumn) +
               u"=" + control.Item(u"FInterID", PieceKind::kName) + u") as " + field + u",";
  } else {
    const Bstr a = ActionPart(act, u".A3");
    Bstr t[9];
    for (std::int16_t i = 2; i <= 8; ++i)
      t[i] = GetToken(a, i, u",");
    select_ += RelatedColumnItem(t, ord, field, control);
    if (!Joined(ord)) {
      from_ += u" left join " + control.ActionToken(t[3], 3, PieceKind::kName) + u" t" + ord +
               u" on " + u" t" + ord + u"." + control.ActionToken(t[4], 4, PieceKind::kColumn) +
               u"=" + e + u"." + control.ActionToken(t[2], 2, PieceKind::kColumn) + u" ";
    }
  }
}

// The control's value is a column of the entry table, with the code and name of the row it
// refers to when the control looks one up.
void EntryStatement::AddEntryColumn(const ControlPieces& control, const Bstr& field,
                                    const Bstr& ord, const Bstr& rel) {
  const vdl::Dictionary& record = control.Record();
  const Bstr& e = entry_.table;
  select_ += u" " + e + u"." + field + u",";

  const Variant ctl_type = record.Item(u"FCtlType");
  const std::int16_t lookup_class = oleaut::ToInteger(record.GetValue(u"FLookUpCls", 0));
  // ctlLookUp, ctlChecker, ctlBiller, ctlRecorder, ctlBillModifier, ctlMultiChecker; a plain
  // lookup of class 6 or -24 is not joined.
  const bool lookup = IsInArray(ctl_type, {2, 8, 9, 18, 22, 25}) &&
                      !((lookup_class == 6 || lookup_class == -24) && IsInArray(ctl_type, {2}));
  if (!lookup) {
    const Bstr action = ValueText(record, u"FAction");
    if (!action.empty() && action.front() == u'=' && !rel.empty()) {
      select_ += u" t" + RelatedAlias(rel, field) + u"." +
                 control.ActionToken(GetToken(action, 2, u","), 2, PieceKind::kColumn) + u",";
    }
    return;
  }

  const Variant exact_class = record.Item(u"FLookUpCls");
  if (IsInArray(exact_class, {kItemLookupClass})) {
    select_ += u" t" + ord + u".FQtyDecimal,";
    select_ += u" t" + ord + u".FPriceDecimal,";
    select_ += u" t" + ord + u".FUnitGroupID,";
  }
  select_ += u" t" + ord + u"." + control.Item(u"FNumber", PieceKind::kColumn) + u" as  " + field +
             u"Number,";
  select_ +=
      u" t" + ord + u"." + control.Item(u"FName", PieceKind::kColumn) + u" as  " + field + u"Name,";
  // Lines whose item has no row in its table are not printed; other lookups may be empty.
  const std::u16string_view join =
      oleaut::EqualsNoCase(field, entry_.key_item) ? u" join " : u" left join ";
  if (!Joined(ord)) {
    from_ += Bstr(join) + control.Item(u"FGetTable", PieceKind::kName) + u"  t" + ord + u" on t" +
             ord + u"." + control.Item(u"FInterID", PieceKind::kColumn) + u" = " + e + u"." + field;
    if (IsInArray(exact_class, {-24})) {
      RequireBillInfoPiece(entry_.key_item, u"FKeyItemID", PieceKind::kColumn);
      from_ += u" AND " + e + u"." + entry_.key_item + u" = t" + ord + u"." + entry_.key_item;
    }
  }
}

void EntryStatement::AddStoredControls(const vdl::List& page_e) {
  for (std::int32_t i = page_e.LowerBound(); i <= page_e.UpperBound(); ++i) {
    const auto control = ControlAt(page_e, u"PageE", i);
    if (ValueFlag(*control, u"FNeedSave", false)) {
      select_ += u" " + entry_.table + u"." + ControlPieces(*control, u"PageE", i).Field() + u",";
    }
  }
}

void EntryStatement::AddDecimalDefaults() {
  const Bstr upper = oleaut::UCase(select_);
  if (!Contains(upper, u".FQTYDECIMAL,")) select_ += u" 4 as FQtyDecimal,";
  if (!Contains(upper, u".FPRICEDECIMAL,")) select_ += u" 2 as FPriceDecimal,";
}

Bstr EntryStatement::MaterialiseBatch() const {
  return u"IF  object_id('tempdb..#tmpBillPrint') is not null drop table #tmpBillPrint " +
         LeftOf(select_, TrimmedLength(select_) - 1) + u"\r\n" + u" INTO #tmpBillPrint " + from_ +
         u"\r\n" + LeftOf(where_, TrimmedLength(where_) - 3) + u"\r\n" +
         u" ORDER BY #tmpsort.FID, " + entry_.table + u"." + entry_.key_index;
}

}  // namespace billdata
