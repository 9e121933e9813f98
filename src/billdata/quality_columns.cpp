#include "billdata/quality_columns.h"

#include "billdata/bill_helpers.h"
#include "billdata/fill_request.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

Bstr MapQualityField(std::u16string_view fieldName, bool wantId) {
  if (oleaut::EqualsNoCase(fieldName, u"FTestValueUnUse")) {
    return wantId ? Bstr(u"FTestValueID") : Bstr(u"FTestValue");
  }
  const std::u16string_view stem =
      fieldName.substr(0, fieldName.size() >= 5 ? fieldName.size() - 5 : 0);
  return Bstr(stem) + (wantId ? u"ID" : u"Qty");
}

bool AppendQualityColumn(const vdl::Dictionary& billInfo, const ControlPieces& control,
                         const vdl::Dictionary& dicStruct, std::int32_t /*index*/,
                         Bstr& selectList) {
  const std::int32_t type_id = oleaut::ToLong(billInfo.Item(u"FID"));
  if (type_id < 707 || type_id > 715) return false;
  const Bstr entry_table = ValueText(billInfo, u"FEntryTable");
  const Bstr field = control.Field();
  bool appended = false;

  if (IsInArray(Variant(oleaut::UCase(field)),
                {Variant(u"FTARGETUNUSE"), Variant(u"FLOWERLIMITUNUSE"),
                 Variant(u"FUPPERLIMITUNUSE"), Variant(u"FTESTVALUEUNUSE")})) {
    const Bstr id_name = MapQualityField(field, true);
    const auto related = RelatedControl(dicStruct, u"P1_", id_name, field);
    const ControlPieces related_pieces(*related, u"P1_" + id_name, control);
    const Bstr ord = Alias(oleaut::ToLong(related->Item(u"FCtlOrder")));
    const Bstr qty_name = MapQualityField(field, false);
    selectList += u" (case " + entry_table + u".FAnalysisMethodID when 9 then  " + u"t" + ord +
                  u"." + related_pieces.Item(u"FName", PieceKind::kColumn) + u" else  " +
                  u" convert(varchar(255), convert(decimal(28,10)," + qty_name + u") ) end) as " +
                  field + u",";
    appended = true;
  }

  if (IsInArray(Variant(field), {Variant(u"FLowTolerance"), Variant(u"FUpTolerance")})) {
    Bstr column = u" (case " + entry_table + u".FAnalysisMethodID when 9 then  " +
                  u" convert(varchar(255),'') else ";
    const std::u16string_view limit =
        field == u"FLowTolerance" ? u".FLowerLimitQty - " : u".FUpperLimitQty - ";
    column += u" convert(varchar(255), ( convert(decimal(28,10)," + entry_table + Bstr(limit) +
              entry_table + u".FTargetQty))) end) as " + field;
    selectList += column + u",";
    appended = true;
  }
  return appended;
}

}  // namespace billdata
