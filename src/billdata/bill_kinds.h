// The transaction types (ICTransactionType.FID) and lookup classes (FLookUpCls) whose controls the
// head and entry statements treat in their own way, named by what that way is.
#pragma once

#include <cstdint>

namespace billdata {

// Its head control "FAuxPropCls" gives no column.
inline constexpr std::int32_t kTranTypeWithoutAuxPropClass = 50;

// Their heads note the six summary columns that summary printing rewrites.
inline constexpr std::int32_t kSummaryTranTypes[] = {92, 24};

// Its entry control "FAmount" is computed from the action's expression over the entry table.
inline constexpr std::int32_t kTranTypeWithAmountExpression = 87;

// Head lookups of this class find their row by a code: a prefix taken from the column's name and
// a number taken from the column's value.
inline constexpr std::int32_t kCodedLookupClass = 241;

// Items: head lookups of this class also read the item's decimals and unit group.
inline constexpr std::int32_t kItemLookupClass = 4;

}  // namespace billdata
