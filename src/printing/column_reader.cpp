#include "column_reader.h"

#include "platform/oleaut/text.h"
#include "print_error.h"

namespace printing {

std::vector<std::string> ColumnNames(const ado::Recordset& recordset) {
  std::vector<std::string> names;
  const auto fields = recordset.Fields();
  for (std::int32_t i = 0; i < fields->Count(); ++i)
    names.push_back(oleaut::ToUtf8(fields->Item(i)->Name()));
  return names;
}

ColumnReader::ColumnReader(const ado::Recordset& recordset, const std::vector<std::string>& names,
                           std::size_t optional, const std::string& rows,
                           const std::string& layout_name) {
  const auto fields = recordset.Fields();
  for (std::size_t slot = 0; slot < names.size(); ++slot) {
    com::Ptr<ado::Field> found;
    for (std::int32_t i = 0; i < fields->Count() && !found; ++i) {
      if (oleaut::EqualsNoCase(fields->Item(i)->Name(), oleaut::FromUtf8(names[slot])))
        found = fields->Item(i);
    }
    if (!found && slot >= optional) {
      std::string known;
      for (const std::string& name : ColumnNames(recordset))
        known += (known.empty() ? "" : ", ") + name;
      Fail(layout_name + " names the column " + names[slot] + ", which " + rows +
           " do not have (they have " + known + ")");
    }
    fields_.push_back(std::move(found));
  }
}

std::vector<oleaut::Variant> ColumnReader::Read() const {
  std::vector<oleaut::Variant> values;
  values.reserve(fields_.size());
  for (const auto& field : fields_)
    values.push_back(field ? field->Value() : oleaut::Variant());
  return values;
}

}  // namespace printing
