// Reading the two request dictionaries of the head and entry data members (pCondition and
// dicStruct, with the bill type's table information and the control records of the template
// pages), and the pieces of statement text that come straight from them.
//
// Values are read as the statements take them: an item that is missing, Empty or Null reads as
// the empty text. What the statements cannot do without (the bill type, the selected bills, a
// related control) raises an error that says which key was wrong.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"

namespace billdata {

using DictionaryRef = com::Ptr<vdl::Dictionary>;
using ListRef = com::Ptr<vdl::List>;

// A value as text the way statements are assembled: Empty and Null give "".
oleaut::Bstr Text(const oleaut::Variant& value);
// The item under `key` as text ("" when there is none).
oleaut::Bstr ItemText(const vdl::Dictionary& dictionary, std::u16string_view key);
// GetValue(key, "") as text.
oleaut::Bstr ValueText(const vdl::Dictionary& dictionary, std::u16string_view key);
// GetValue(key, default) as a Boolean (non-zero numbers and "True" are true).
bool ValueFlag(const vdl::Dictionary& dictionary, std::u16string_view key, bool default_value);

// A request dictionary the caller must pass (`name` in messages); Nothing raises Object variable
// not set.
const vdl::Dictionary& Required(const DictionaryRef& dictionary, std::u16string_view name);

// The dictionary stored under `key` of `owner` (called `owner_name` in messages).
DictionaryRef RequiredDictionary(const vdl::Dictionary& owner, std::u16string_view owner_name,
                                 std::u16string_view key);
// GetValue(key, Nothing) as a list; Nothing when there is none.
ListRef OptionalList(const vdl::Dictionary& owner, std::u16string_view key);
// The control record at `index` of `page` (a list of `page_name`).
DictionaryRef ControlAt(const vdl::List& page, std::u16string_view page_name, std::int32_t index);
// The control record dicStruct(prefix + key) that a relation of `from_field` names.
DictionaryRef RelatedControl(const vdl::Dictionary& dicStruct, std::u16string_view prefix,
                             std::u16string_view key, std::u16string_view from_field);

// pCondition("TranType") as a Long; "" or a text that is not a number raises Type mismatch.
std::int32_t TranType(const vdl::Dictionary& pCondition);

// The selected bills of pCondition("Filter") as the id list of the statements ("1002,1001,1002":
// selection order, duplicates kept), each FInterID converted to a Long so that a selection
// never carries statement text.
struct Selection {
  com::Ptr<vdl::List> filter;
  oleaut::Bstr id_list;
  std::int32_t count = 0;
};
Selection SelectedBills(const vdl::Dictionary& pCondition);
// The FInterID of the filter element at `index`, as a Long.
std::int32_t SelectedBillAt(const vdl::List& filter, std::int32_t index);
// Raises "no bill was selected" when the selection is empty: the statements would hold an empty
// IN list.
void RequireSelection(const Selection& selection);

// A control's position formatted "000": its alias number, "t" + alias naming its lookup table.
oleaut::Bstr Alias(std::int64_t position);

// The first `count` characters of `text` (count below 0 is an invalid procedure call, as Left
// with a negative length is).
oleaut::Bstr LeftOf(std::u16string_view text, std::int64_t count);
// The length of `text` without leading and trailing spaces.
std::int64_t TrimmedLength(std::u16string_view text);
// Whether `text` contains `part`, by exact characters.
bool Contains(std::u16string_view text, std::u16string_view part);
// `text` without any space.
oleaut::Bstr WithoutBlanks(std::u16string_view text);

}  // namespace billdata
