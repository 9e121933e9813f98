#include "platform/ado/command.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/ado/errors.h"
#include "platform/ado/execute_options.h"

namespace ado {

Command::~Command() = default;
namespace {

constexpr std::u16string_view kSource = u"ADODB.Command";

// Hands the values lent for binding back to their parameters, however the run ends.
class BoundValues {
 public:
  explicit BoundValues(const std::vector<com::Ptr<Parameter>>& parameters)
      : parameters_(parameters) {}
  BoundValues(const BoundValues&) = delete;
  BoundValues& operator=(const BoundValues&) = delete;
  ~BoundValues() {
    for (std::size_t i = 0; i < values_.size() && i < parameters_.size(); ++i) {
      parameters_[i]->Restore(std::move(values_[i]));
    }
  }

  std::vector<ParameterValue>& Values() noexcept { return values_; }

 private:
  const std::vector<com::Ptr<Parameter>>& parameters_;
  std::vector<ParameterValue> values_;
};

}  // namespace

Command::Command() : parameters_(com::Make<ado::Parameters>()) {}

void Command::SetActiveConnection(com::Ptr<Connection> connection) noexcept {
  connection_ = std::move(connection);
}

void Command::SetCommandType(std::int32_t type) {
  switch (type) {
    case adCmdUnspecified:
    case adCmdText:
    case adCmdTable:
    case adCmdStoredProc:
    case adCmdUnknown:
      type_ = type;
      return;
    default:
      RaiseAdoError(kAdoWrongArguments, kSource,
                    u"CommandType " + NumberText(type) + u" is not a command type.");
  }
}

com::Ptr<Parameter> Command::CreateParameter(std::u16string_view name, std::int32_t type,
                                             std::int32_t direction, std::int32_t size,
                                             const oleaut::Variant& value) const {
  auto parameter = com::Make<Parameter>();
  parameter->SetName(name);
  parameter->SetType(type);
  parameter->SetDirection(direction);
  parameter->SetSize(size);
  parameter->SetValue(value);
  return parameter;
}

com::Ptr<Recordset> Command::Execute(std::int32_t* records_affected,
                                     std::span<const oleaut::Variant> values,
                                     std::int32_t options) {
  if (!connection_ || connection_->State() != adStateOpen) {
    RaiseAdoError(kAdoInvalidConnection, kSource,
                  connection_ ? u"Its active connection is closed."
                              : u"Execute needs an active connection; none was set.");
  }
  const ExecuteOptions decoded = DecodeExecuteOptions(options, type_, kSource);
  const std::u16string statement = StatementFor(text_, decoded.command_type, kSource);

  const std::vector<com::Ptr<Parameter>>& parameters = parameters_->All();
  BoundValues bound(parameters);
  const std::size_t count = std::max(parameters.size(), values.size());
  bound.Values().reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    // A value left out keeps the parameter's own.
    const oleaut::Variant* replacement =
        i < values.size() && !values[i].IsMissing() ? &values[i] : nullptr;
    if (i < parameters.size()) {
      bound.Values().push_back(parameters[i]->TakeForBinding(i, replacement));
    } else {
      bound.Values().push_back(ParameterValue{adVariant, adParamInput, 0,
                                              replacement ? *replacement : oleaut::Variant()});
    }
  }

  ExecuteResult result = connection_->Run(statement, bound.Values(), kSource);
  if (records_affected) {
    *records_affected = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(result.records_affected, -1, 2147483647));
  }
  auto recordset = com::Make<Recordset>();
  const CursorLocationEnum location = connection_->CursorLocation();
  recordset->SetCursorLocation(location);
  if (result.rows && !decoded.no_records) {
    recordset->OpenRows(std::move(*result.rows), connection_, location);
  }
  return recordset;
}

}  // namespace ado
