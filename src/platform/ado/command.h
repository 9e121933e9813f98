// ADO's Command: a statement with `?` markers and the parameters bound to them, run on a
// connection. The way the component writes template bodies and dates.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ado/connection.h"
#include "platform/ado/parameter.h"
#include "platform/ado/recordset.h"
#include "platform/ado/types.h"
#include "platform/com/object.h"
#include "platform/oleaut/variant.h"

namespace ado {

class Command : public com::Unknown {
 public:
  ~Command() override;
  Command();

  com::Ptr<Connection> ActiveConnection() const noexcept { return connection_; }
  void SetActiveConnection(com::Ptr<Connection> connection) noexcept;
  const std::u16string& CommandText() const noexcept { return text_; }
  void SetCommandText(std::u16string_view text) { text_ = text; }
  // adCmdUnknown until set, as in ADO.
  std::int32_t CommandType() const noexcept { return type_; }
  void SetCommandType(std::int32_t type);

  // A new parameter, not yet appended. `value` left out leaves Value empty.
  com::Ptr<Parameter> CreateParameter(std::u16string_view name = {}, std::int32_t type = adEmpty,
                                      std::int32_t direction = adParamInput, std::int32_t size = 0,
                                      const oleaut::Variant& value = oleaut::kMissing) const;
  com::Ptr<ado::Parameters> Parameters() const noexcept { return parameters_; }

  // Runs CommandText with the parameters bound to its markers in order. `values`, when given,
  // replace the parameters' values for this run (and bind markers beyond the collection as they
  // are). Returns the first row set as an open recordset, or a closed one. 3709 without an open
  // connection.
  com::Ptr<Recordset> Execute(std::int32_t* records_affected = nullptr,
                              std::span<const oleaut::Variant> values = {},
                              std::int32_t options = adOptionUnspecified);

 private:
  com::Ptr<Connection> connection_;
  std::u16string text_;
  std::int32_t type_ = adCmdUnknown;
  com::Ptr<ado::Parameters> parameters_;
};

}  // namespace ado
