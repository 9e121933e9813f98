// The entry statement of a bill type: the entry lines of the selected bills, tagged with their
// bill's position in the selection, their columns made from the template's entry controls. The
// builder assembles the select list (S), the from clause (F) and the where clause (W) control by
// control, one join per looked-up table.
#pragma once

#include <cstdint>

#include "billdata/fill_request.h"
#include "billdata/template_pieces.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace billdata {

// BillInfo's names of the entry table and its columns.
struct EntryTable {
  oleaut::Bstr table;      // FEntryTable (E)
  oleaut::Bstr key_inter;  // FKeyInterID (KInter)
  oleaut::Bstr key_item;   // FKeyItemID (KItem)
  oleaut::Bstr key_index;  // FKeyIndexID (KIndex)
};

class EntryStatement {
 public:
  // `dicStruct` supplies the related controls ("P1_" + key); the names of `entry` that are
  // spliced are checked here.
  EntryStatement(const vdl::Dictionary& dicStruct, const vdl::Dictionary& billInfo,
                 EntryTable entry, std::int32_t tran_type, const oleaut::Bstr& id_list);

  // The control record at `index` of "Page1".
  void AddControl(const vdl::Dictionary& control, std::int32_t index);
  // The controls of "PageE" whose values are stored with the entry.
  void AddStoredControls(const vdl::List& page_e);
  // Quantities print with 4 decimals and prices with 2 unless an item lookup supplies them.
  void AddDecimalDefaults();

  // The batch that drops and recreates #tmpBillPrint from the assembled clauses, ordered by
  // selection and line.
  oleaut::Bstr MaterialiseBatch() const;

  const oleaut::Bstr& SelectList() const noexcept { return select_; }
  const oleaut::Bstr& FromClause() const noexcept { return from_; }
  const oleaut::Bstr& WhereClause() const noexcept { return where_; }

 private:
  void AddOutsideColumn(const ControlPieces& control, const oleaut::Bstr& field,
                        const oleaut::Bstr& ord, const oleaut::Bstr& rel, const oleaut::Bstr& act,
                        std::int32_t index);
  void AddEntryColumn(const ControlPieces& control, const oleaut::Bstr& field,
                      const oleaut::Bstr& ord, const oleaut::Bstr& rel);
  bool Joined(const oleaut::Bstr& ord) const;
  oleaut::Bstr RelatedAlias(const oleaut::Bstr& rel, const oleaut::Bstr& field) const;

  const vdl::Dictionary& dic_struct_;
  const vdl::Dictionary& bill_info_;
  EntryTable entry_;
  std::int32_t tran_type_;
  oleaut::Bstr select_;
  oleaut::Bstr from_;
  oleaut::Bstr where_;
};

}  // namespace billdata
