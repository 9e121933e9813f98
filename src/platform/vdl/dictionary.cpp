#include "platform/vdl/dictionary.h"

#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace vdl {

Dictionary::~Dictionary() = default;

const Dictionary::Entry* Dictionary::Find(std::u16string_view key) const {
  const auto hit = index_.find(oleaut::UCase(key));
  return hit == index_.end() ? nullptr : &entries_[hit->second];
}

oleaut::Variant Dictionary::Item(std::u16string_view key) const {
  const Entry* entry = Find(key);
  return entry != nullptr ? entry->item : oleaut::Variant();
}

void Dictionary::SetItem(std::u16string_view key, oleaut::Variant value) {
  const auto [hit, inserted] = index_.try_emplace(oleaut::UCase(key), entries_.size());
  if (!inserted) {
    entries_[hit->second].item = std::move(value);
    return;
  }
  try {
    entries_.push_back({oleaut::Bstr(key), std::move(value)});
  } catch (...) {
    index_.erase(hit);  // keep the index and the entries in step
    throw;
  }
}

void Dictionary::Add(std::u16string_view key, oleaut::Variant item) {
  if (Find(key) != nullptr) return;
  SetItem(key, std::move(item));
}

oleaut::Variant Dictionary::GetValue(std::u16string_view key,
                                     const oleaut::Variant& default_value) const {
  const Entry* entry = Find(key);
  return entry != nullptr ? entry->item : default_value;
}

bool Dictionary::Exists(std::u16string_view key) const {
  return Find(key) != nullptr;
}

void Dictionary::CheckPosition(std::size_t i) const {
  if (i >= entries_.size()) {
    oleaut::RaiseVbError(oleaut::kSubscriptOutOfRange,
                         u"dictionary position " + oleaut::FromUtf8(std::to_string(i)) +
                             u" is not below its count " +
                             oleaut::FromUtf8(std::to_string(entries_.size())));
  }
}

std::u16string_view Dictionary::KeyAt(std::size_t i) const {
  CheckPosition(i);
  return entries_[i].key;
}

const oleaut::Variant& Dictionary::ItemAt(std::size_t i) const {
  CheckPosition(i);
  return entries_[i].item;
}

}  // namespace vdl
