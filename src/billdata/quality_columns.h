// The computed columns of quality-inspection bills (transaction types 707 to 715): the four
// "UnUse" columns show the chosen value's name for a qualitative analysis (method 9) and the
// number otherwise; the two tolerance columns show the limit minus the target.
#pragma once

#include <cstdint>
#include <string_view>

#include "billdata/template_pieces.h"
#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace billdata {

// The entry-table column behind an "UnUse" column: FTargetUnUse gives FTargetID (wantId) or
// FTargetQty; FTestValueUnUse (any case) gives FTestValueID or FTestValue.
oleaut::Bstr MapQualityField(std::u16string_view fieldName, bool wantId);

// Appends the computed column of `control` (and its comma) to `selectList` and returns true when
// the bill type is a quality inspection and the control is one of the six; otherwise returns
// false and leaves `selectList` as it was. `index` is not used. A related control record that
// `dicStruct` lacks raises, and so does a name column of it that is not one name.
bool AppendQualityColumn(const vdl::Dictionary& billInfo, const ControlPieces& control,
                         const vdl::Dictionary& dicStruct, std::int32_t index,
                         oleaut::Bstr& selectList);

}  // namespace billdata
