// ADO's Parameter and Parameters: the values bound to a Command's `?` markers, in marker order.
// A value is converted to the parameter's type when it is set (3421 when it cannot be), and
// checked against the declared size when the command runs: text or binary data longer than its
// parameter raises instead of being cut.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace ado {

// ADO's name of a data type ("adVarChar"), for messages.
std::u16string_view DataTypeName(std::int32_t type) noexcept;

class Parameter : public com::Unknown {
 public:
  ~Parameter() override;
  Parameter() = default;

  const std::u16string& Name() const noexcept { return name_; }
  void SetName(std::u16string_view name) { name_ = name; }
  DataTypeEnum Type() const noexcept { return type_; }
  // 3001 for a value that is not one of ADO's data types; a value already set is converted.
  void SetType(std::int32_t type);
  ParameterDirectionEnum Direction() const noexcept { return direction_; }
  void SetDirection(std::int32_t direction);
  // Characters for text, bytes for binary data.
  std::int32_t Size() const noexcept { return size_; }
  void SetSize(std::int32_t size);
  std::uint8_t Precision() const noexcept { return precision_; }
  void SetPrecision(std::uint8_t precision) noexcept { precision_ = precision; }
  std::uint8_t NumericScale() const noexcept { return numeric_scale_; }
  void SetNumericScale(std::uint8_t scale) noexcept { numeric_scale_ = scale; }

  const oleaut::Variant& Value() const noexcept { return value_; }
  // Converts to Type (Null stays Null); 3421 naming the parameter when it cannot be converted.
  void SetValue(oleaut::Variant value);

  // For Parameters.Append: 3708 when the parameter cannot be bound as declared.
  void CheckDefinition(std::size_t position) const;
  // For Command.Execute: the bound value. `value` replaces Value for this run only when given.
  // The stored value is moved out (binary data may be large) and must be handed back with
  // Restore once the command has run.
  ParameterValue TakeForBinding(std::size_t position, const oleaut::Variant* value);
  void Restore(ParameterValue&& bound) noexcept;

 private:
  std::u16string Describe(std::size_t position) const;
  oleaut::Variant Converted(oleaut::Variant value, std::size_t position) const;
  void CheckSize(const oleaut::Variant& value, std::size_t position) const;

  std::u16string name_;
  DataTypeEnum type_ = adEmpty;
  ParameterDirectionEnum direction_ = adParamInput;
  std::int32_t size_ = 0;
  std::uint8_t precision_ = 0;
  std::uint8_t numeric_scale_ = 0;
  oleaut::Variant value_;
};

class Parameters : public com::Unknown {
 public:
  ~Parameters() override;
  // 3708 for a parameter without the size its type needs; 3001 for Nothing or a parameter that
  // is already in the collection.
  void Append(com::Ptr<Parameter> parameter);
  void Delete(std::int32_t index);
  std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }
  // By position counting from 0, or by name without regard to case; 3265 when there is none.
  com::Ptr<Parameter> Item(std::int32_t index) const;
  com::Ptr<Parameter> Item(std::u16string_view name) const;
  com::Ptr<Parameter> Item(const char16_t* name) const { return Item(std::u16string_view(name)); }
  com::Ptr<Parameter> Item(const oleaut::Variant& index) const;

  const std::vector<com::Ptr<Parameter>>& All() const noexcept { return items_; }

 private:
  std::vector<com::Ptr<Parameter>> items_;
};

}  // namespace ado
