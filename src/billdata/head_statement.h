// The head statement of a bill type: one row per selected bill, its columns made from the
// template's head controls. The builder assembles the select list (S), the from clause (F) and
// the where clause (W) control by control, as the template describes them, and notes which of
// the six columns that summary printing rewrites the template has.
#pragma once

#include <array>
#include <cstdint>

#include "billdata/fill_request.h"
#include "billdata/template_pieces.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace billdata {

// The six columns summary printing rewrites, in the order it rewrites them.
enum class SummaryColumn { SupplyId, DeptId, MoItemId, BillNo, MoQty, MoAuxQty, kCount };

class HeadStatement {
 public:
  // `dicStruct` supplies the related controls ("P0_" + key); `head_table`, `key_inter_id` and
  // `key_item_id` are BillInfo's FHeadTable, FKeyInterID and FKeyItemID (the names spliced are
  // checked here).
  HeadStatement(const vdl::Dictionary& dicStruct, oleaut::Bstr head_table,
                oleaut::Bstr key_inter_id, oleaut::Bstr key_item_id, std::int32_t tran_type,
                const oleaut::Bstr& id_list);

  // The control record at `index` of "Page0".
  void AddControl(const vdl::Dictionary& control, std::int32_t index);
  // The controls of "PageH" whose values are stored with the bill.
  void AddStoredControls(const vdl::List& page_h);

  // The batch that drops and recreates #tmpBillHeadPrint from the assembled clauses.
  oleaut::Bstr MaterialiseBatch() const;

  const oleaut::Bstr& SelectList() const noexcept { return select_; }
  const oleaut::Bstr& FromClause() const noexcept { return from_; }
  const oleaut::Bstr& WhereClause() const noexcept { return where_; }
  bool HasSummaryColumn(SummaryColumn column) const noexcept {
    return summary_[static_cast<std::size_t>(column)];
  }

 private:
  void NoteSummaryColumn(const oleaut::Bstr& field);
  void AddHeadColumn(const ControlPieces& control, const oleaut::Bstr& field,
                     const oleaut::Bstr& ord);
  void AddOutsideColumn(const ControlPieces& control, const oleaut::Bstr& field,
                        const oleaut::Bstr& ord);
  void AddNumberAndName(const ControlPieces& control, const oleaut::Bstr& field,
                        const oleaut::Bstr& ord);
  bool Joined(const oleaut::Bstr& ord) const;
  oleaut::Bstr RelatedAlias(const oleaut::Bstr& rel, const oleaut::Bstr& field) const;

  const vdl::Dictionary& dic_struct_;
  oleaut::Bstr head_table_;
  oleaut::Bstr key_item_id_;
  std::int32_t tran_type_;
  oleaut::Bstr select_;
  oleaut::Bstr from_;
  oleaut::Bstr where_;
  std::array<bool, static_cast<std::size_t>(SummaryColumn::kCount)> summary_{};
};

// The placeholder of a control whose value comes from elsewhere: an empty value of the right
// kind, a decimal zero for numeric control types, an empty text for the others.
oleaut::Bstr PlaceholderColumn(const oleaut::Variant& ctl_type, const oleaut::Bstr& field);

}  // namespace billdata
