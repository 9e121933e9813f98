// vdl::Dictionary: the foundation library's keyed dictionary (VDL.Dictionary). Text keys to
// Variant items, keys compared without regard to case, items kept in the order they were first
// added so that printers and dictionary-to-record copies see them as they were built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace vdl {

class Dictionary : public com::Unknown {
 public:
  ~Dictionary() override;
  std::int32_t Count() const noexcept { return static_cast<std::int32_t>(entries_.size()); }

  // The item under `key`; Empty when there is none (and nothing is added).
  oleaut::Variant Item(std::u16string_view key) const;
  // Item(key) = value: stores `value`, replacing an item already under `key`. A key already
  // present keeps its first spelling and its position.
  void SetItem(std::u16string_view key, oleaut::Variant value);
  // Stores a new item. For a key already present the existing item stays and nothing is raised:
  // callers add keys that are new by construction, and keeping the first item overwrites nothing
  // a caller stored.
  void Add(std::u16string_view key, oleaut::Variant item);
  // The item under `key`, or `default_value` when there is none.
  oleaut::Variant GetValue(std::u16string_view key, const oleaut::Variant& default_value) const;
  bool Exists(std::u16string_view key) const;

  // Ordered access, 0-based, in insertion order; out of range raises Subscript out of range (9).
  std::u16string_view KeyAt(std::size_t i) const;
  const oleaut::Variant& ItemAt(std::size_t i) const;

 private:
  struct Entry {
    oleaut::Bstr key;
    oleaut::Variant item;
  };

  const Entry* Find(std::u16string_view key) const;
  void CheckPosition(std::size_t i) const;

  std::vector<Entry> entries_;
  // Upper-cased key -> position in entries_.
  std::unordered_map<oleaut::Bstr, std::size_t> index_;
};

}  // namespace vdl
