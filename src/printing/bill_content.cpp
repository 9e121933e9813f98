#include "bill_content.h"

#include <algorithm>
#include <cctype>

namespace printing {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

namespace {

std::optional<std::size_t> Find(const std::vector<std::string>& names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (SameName(names[i], name)) return i;
  }
  return std::nullopt;
}

void Use(std::vector<std::string>& names, const std::string& name) {
  if (!name.empty() && !Find(names, name)) names.push_back(name);
}

void UseBand(LayoutFields& fields, const Band& band) {
  for (const Element& element : band.elements) {
    Use(fields.head, element.field);
    fields.print_count = fields.print_count || element.print_count;
    if (element.kind == Element::Kind::kPicture) Use(fields.head, element.picture.key_column);
  }
}

}  // namespace

std::optional<std::size_t> LayoutFields::HeadSlot(const std::string& name) const {
  return Find(head, name);
}

std::optional<std::size_t> LayoutFields::EntrySlot(const std::string& name) const {
  return Find(entry, name);
}

LayoutFields FieldsOf(const Layout& layout) {
  LayoutFields fields;
  UseBand(fields, layout.page_header);
  UseBand(fields, layout.bill_head);
  UseBand(fields, layout.bill_footer);
  UseBand(fields, layout.page_footer);
  for (const Column& column : layout.table.columns) {
    Use(fields.entry, column.field);
    if (column.picture) Use(fields.entry, column.picture->key_column);
  }
  return fields;
}

}  // namespace printing
