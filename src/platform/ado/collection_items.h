// How ADO's collections (Fields, Parameters) find an item: by position counted from 0, by name,
// or by a key that is either; and what they raise when there is no such item.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/errors.h"
#include "platform/oleaut/convert.h"

namespace ado {

// The collection's item at `index`; otherwise Item cannot be found (3265) from `source`, saying
// how many `noun`s ("field") there are.
template <class Item>
const Item& ItemAtPosition(const std::vector<Item>& items, std::int32_t index,
                           std::u16string_view source, std::u16string_view noun) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) {
    RaiseAdoError(kAdoItemNotFound, source,
                  u"There is no " + std::u16string(noun) + u" at position " + NumberText(index) +
                      u" (" + NumberText(static_cast<std::int64_t>(items.size())) + u" " +
                      std::u16string(noun) + u"s, counted from 0).");
  }
  return items[static_cast<std::size_t>(index)];
}

// Item cannot be found (3265) from `source`, for a `noun` called `name`.
[[noreturn]] inline void RaiseNoItemNamed(std::u16string_view source, std::u16string_view noun,
                                          std::u16string_view name) {
  RaiseAdoError(
      kAdoItemNotFound, source,
      u"There is no " + std::u16string(noun) + u" named '" + std::u16string(name) + u"'.");
}

// The item a key chooses: a text by name, a number by position; any other key raises Arguments
// are of the wrong type (3001) from `source`, naming the `noun`.
template <class ByName, class ByPosition>
auto ItemByKey(const oleaut::Variant& key, std::u16string_view source, std::u16string_view noun,
               ByName by_name, ByPosition by_position) {
  if (key.IsString()) return by_name(std::u16string_view(key.AsString()));
  if (key.IsNumeric()) return by_position(oleaut::ToLong(key));
  RaiseAdoError(kAdoWrongArguments, source,
                u"A " + std::u16string(noun) + u" is chosen by its position or name, not by a " +
                    std::u16string(oleaut::VarTypeName(key.Type())) + u'.');
}

}  // namespace ado
