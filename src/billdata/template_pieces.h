// The pieces of statement text that the head and entry statements take from the template
// structure: the names of a control record (its column, its lookup table with the table's key,
// code and name columns), the tokens of its relation action, and the bill type's table names.
// Administrators edit the rows these come from and callers hand them in, so each piece is checked
// where it is spliced, before any statement runs: a piece that is not what its place needs raises
// Invalid procedure call or argument (5), naming the control (its page and position, or the key
// it was found under, and its column) and the text. A piece that passes goes in unchanged.
//
// An empty piece (or one of blanks) carries nothing and is let through: the statement it leaves
// incomplete fails on the server, as it always did.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// What a piece must be where it goes.
enum class PieceKind {
  kColumn,  // one name: a column or result name after "t001.", "H." or "AS"
  kName,    // names joined by dots: a table, or a column that stands alone
  kValue,   // what a column is compared with: a name (dots allowed), a number or one quoted text
  kArithmetic,  // a computed column: names, numbers and quoted texts joined by + - * / %
};

// Raises the error of a piece that is not of `kind`, unless it is; `what` names where it was
// found.
void RequirePiece(std::u16string_view text, PieceKind kind, std::u16string_view what);

// The checked pieces of one control record.
class ControlPieces {
 public:
  // The control at `index` of the list `page` ("Page0" item 3).
  ControlPieces(const vdl::Dictionary& control, std::u16string_view page, std::int32_t index);
  // The control found under `key` of dicStruct ("P1_FTargetID"), through the control `from`.
  ControlPieces(const vdl::Dictionary& control, std::u16string_view key, const ControlPieces& from);

  const vdl::Dictionary& Record() const noexcept { return control_; }
  // The item under `key` as text, checked as `kind`.
  oleaut::Bstr Item(std::u16string_view key, PieceKind kind) const;
  // FFieldName: the control's column and result name.
  oleaut::Bstr Field() const { return Item(u"FFieldName", PieceKind::kColumn); }
  // Token `number` of the control's FAction, checked as `kind`.
  const oleaut::Bstr& ActionToken(const oleaut::Bstr& token, std::int32_t number,
                                  PieceKind kind) const;

 private:
  const vdl::Dictionary& control_;
  std::u16string place_;  // "item 3 of \"Page0\" (the control \"FBillNo\")"
};

// The text read from `key` of dicStruct("BillInfo"), checked as `kind`.
void RequireBillInfoPiece(std::u16string_view text, std::u16string_view key, PieceKind kind);

}  // namespace billdata
