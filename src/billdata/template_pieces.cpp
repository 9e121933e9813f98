#include "billdata/template_pieces.h"

#include "billdata/caller_sql.h"
#include "billdata/fill_request.h"
#include "frame/sql_text.h"
#include "platform/oleaut/text.h"

namespace billdata {

namespace {

constexpr std::u16string_view kSource = u"TAVMPrintExport";

std::u16string Quoted(std::u16string_view text) {
  return u"\"" + std::u16string(text) + u"\"";
}

bool IsPiece(std::u16string_view text, PieceKind kind) {
  switch (kind) {
    case PieceKind::kColumn:
      return IsSqlName(text, SqlNameForm::kOnePart);
    case PieceKind::kName:
      return IsSqlName(text, SqlNameForm::kQualified);
    case PieceKind::kValue:
      return IsSqlName(text, SqlNameForm::kQualified) || IsSqlLiteral(text);
    case PieceKind::kArithmetic:
      return IsSqlArithmetic(text);
  }
  return false;
}

std::u16string_view Expected(PieceKind kind) {
  switch (kind) {
    case PieceKind::kColumn:
      return u"a column name (one plain or [bracketed] name)";
    case PieceKind::kName:
      return u"a table or column name (plain or [bracketed] names, dots allowed)";
    case PieceKind::kValue:
      return u"a column name, a number or one quoted text";
    case PieceKind::kArithmetic:
      return u"an arithmetic expression of column names, numbers and quoted texts";
  }
  return {};
}

}  // namespace

void RequirePiece(std::u16string_view text, PieceKind kind, std::u16string_view what) {
  if (oleaut::Trim(text).empty() || IsPiece(text, kind)) return;
  RefuseSqlText(what, text, Expected(kind), kSource);
}

ControlPieces::ControlPieces(const vdl::Dictionary& control, std::u16string_view page,
                             std::int32_t index)
    : control_(control),
      place_(u"item " + frame::Num(index) + u" of " + Quoted(page) + u" (the control " +
             Quoted(ItemText(control, u"FFieldName")) + u")") {}

ControlPieces::ControlPieces(const vdl::Dictionary& control, std::u16string_view key,
                             const ControlPieces& from)
    : control_(control),
      place_(u"the control record " + Quoted(key) + u" that " + from.place_ + u" relates to") {}

oleaut::Bstr ControlPieces::Item(std::u16string_view key, PieceKind kind) const {
  oleaut::Bstr text = ItemText(control_, key);
  RequirePiece(text, kind, Quoted(key) + u" of " + place_);
  return text;
}

const oleaut::Bstr& ControlPieces::ActionToken(const oleaut::Bstr& token, std::int32_t number,
                                               PieceKind kind) const {
  RequirePiece(token, kind, u"token " + frame::Num(number) + u" of \"FAction\" of " + place_);
  return token;
}

void RequireBillInfoPiece(std::u16string_view text, std::u16string_view key, PieceKind kind) {
  RequirePiece(text, kind, Quoted(key) + u" of dicStruct(\"BillInfo\")");
}

}  // namespace billdata
