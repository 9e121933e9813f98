#include "billdata/fill_request.h"

#include "frame/sql_text.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"

namespace billdata {

using oleaut::Bstr;
using oleaut::Variant;

namespace {

[[noreturn]] void RaiseBadRequest(std::int32_t number, std::u16string_view detail) {
  oleaut::RaiseVbError(number, detail);
}

Bstr Quoted(std::u16string_view text) {
  return u"\"" + Bstr(text) + u"\"";
}

// CLng of a request value, with a message that names the value when it is not a number (the
// empty text included, which CLng refuses too).
std::int32_t LongOrRaise(const Variant& value, std::u16string_view what) {
  const bool blank = value.IsString() && oleaut::TrimWhitespace(value.AsString()).empty();
  if (!blank) {
    try {
      return oleaut::ToLong(value);
    } catch (const oleaut::ComError&) {  // described below, with the value
    }
  }
  const Bstr shown = value.IsNull() ? Bstr(u"Null") : Quoted(Text(value));
  RaiseBadRequest(oleaut::kTypeMismatch, Bstr(what) + shown);
}

}  // namespace

Bstr Text(const Variant& value) {
  if (value.IsEmpty() || value.IsNull() || value.IsMissing()) return Bstr();
  return oleaut::ToString(value);
}

Bstr ItemText(const vdl::Dictionary& dictionary, std::u16string_view key) {
  return Text(dictionary.Item(key));
}

Bstr ValueText(const vdl::Dictionary& dictionary, std::u16string_view key) {
  return Text(dictionary.GetValue(key, Bstr()));
}

bool ValueFlag(const vdl::Dictionary& dictionary, std::u16string_view key, bool default_value) {
  const Variant value = dictionary.GetValue(key, default_value);
  if (value.IsEmpty() || value.IsNull()) return false;
  return oleaut::ToBoolean(value);
}

const vdl::Dictionary& Required(const DictionaryRef& dictionary, std::u16string_view name) {
  if (!dictionary) RaiseBadRequest(oleaut::kObjectVariableNotSet, Bstr(name) + u" is Nothing");
  return *dictionary;
}

DictionaryRef RequiredDictionary(const vdl::Dictionary& owner, std::u16string_view owner_name,
                                 std::u16string_view key) {
  const Variant item = owner.Item(key);
  DictionaryRef dictionary;
  if (item.IsObject()) dictionary = com::As<vdl::Dictionary>(item.AsObject());
  if (!dictionary) {
    RaiseBadRequest(oleaut::kObjectRequired,
                    Bstr(owner_name) + u" has no dictionary under the key " + Quoted(key));
  }
  return dictionary;
}

ListRef OptionalList(const vdl::Dictionary& owner, std::u16string_view key) {
  const Variant item = owner.GetValue(key, Variant::Nothing());
  if (item.IsNothing() || item.IsEmpty() || item.IsNull()) return nullptr;
  ListRef list;
  if (item.IsObject()) list = com::As<vdl::List>(item.AsObject());
  if (!list) {
    RaiseBadRequest(oleaut::kTypeMismatch,
                    u"the item under the key " + Quoted(key) + u" is not a VDL.List");
  }
  return list;
}

DictionaryRef ControlAt(const vdl::List& page, std::u16string_view page_name, std::int32_t index) {
  const Variant& item = page.Item(index);
  DictionaryRef control;
  if (item.IsObject()) control = com::As<vdl::Dictionary>(item.AsObject());
  if (!control) {
    RaiseBadRequest(oleaut::kObjectRequired, u"item " + frame::Num(index) + u" of " +
                                                 Quoted(page_name) +
                                                 u" is not a control record (a VDL.Dictionary)");
  }
  return control;
}

DictionaryRef RelatedControl(const vdl::Dictionary& dicStruct, std::u16string_view prefix,
                             std::u16string_view key, std::u16string_view from_field) {
  const Bstr name = Bstr(prefix) + Bstr(key);
  const Variant item = dicStruct.Item(name);
  DictionaryRef control;
  if (item.IsObject()) control = com::As<vdl::Dictionary>(item.AsObject());
  if (!control) {
    RaiseBadRequest(oleaut::kObjectRequired, u"dicStruct has no control record " + Quoted(name) +
                                                 u", which the control " + Quoted(from_field) +
                                                 u" relates to");
  }
  return control;
}

std::int32_t TranType(const vdl::Dictionary& pCondition) {
  return LongOrRaise(pCondition.GetValue(u"TranType", Bstr()),
                     u"pCondition(\"TranType\") is not a bill transaction type: ");
}

std::int32_t SelectedBillAt(const vdl::List& filter, std::int32_t index) {
  const Variant& element = filter.Item(index);
  DictionaryRef bill;
  if (element.IsObject()) bill = com::As<vdl::Dictionary>(element.AsObject());
  if (!bill) {
    RaiseBadRequest(oleaut::kObjectRequired, u"element " + frame::Num(index) +
                                                 u" of pCondition(\"Filter\") is not a "
                                                 u"VDL.Dictionary");
  }
  if (!bill->Exists(u"FInterID")) {
    RaiseBadRequest(oleaut::kInvalidProcedureCall, u"element " + frame::Num(index) +
                                                       u" of pCondition(\"Filter\") has no "
                                                       u"\"FInterID\"");
  }
  return LongOrRaise(bill->Item(u"FInterID"), u"the FInterID of element " + frame::Num(index) +
                                                  u" of pCondition(\"Filter\") is not a bill id: ");
}

Selection SelectedBills(const vdl::Dictionary& pCondition) {
  Selection selection;
  selection.filter = OptionalList(pCondition, u"Filter");
  if (!selection.filter) RequireSelection(selection);
  const vdl::List& filter = *selection.filter;
  for (std::int32_t i = filter.LowerBound(); i <= filter.UpperBound(); ++i) {
    if (!selection.id_list.empty()) selection.id_list += u',';
    selection.id_list += frame::Num(SelectedBillAt(filter, i));
    ++selection.count;
  }
  return selection;
}

void RequireSelection(const Selection& selection) {
  if (selection.count == 0) {
    RaiseBadRequest(oleaut::kInvalidProcedureCall,
                    u"no bill was selected: pCondition(\"Filter\") is missing or empty");
  }
}

Bstr Alias(std::int64_t position) {
  return oleaut::FormatZeroPadded(position, 3);
}

Bstr LeftOf(std::u16string_view text, std::int64_t count) {
  if (count < 0) oleaut::RaiseVbError(oleaut::kInvalidProcedureCall);
  return Bstr(text.substr(0, static_cast<std::size_t>(count)));
}

std::int64_t TrimmedLength(std::u16string_view text) {
  return static_cast<std::int64_t>(oleaut::Trim(text).size());
}

bool Contains(std::u16string_view text, std::u16string_view part) {
  return text.find(part) != std::u16string_view::npos;
}

Bstr WithoutBlanks(std::u16string_view text) {
  return oleaut::Replace(text, u" ", u"");
}

}  // namespace billdata
