#include "platform/outside/data_access.h"

#include <vector>

#include "platform/ado/command.h"
#include "platform/tavglobal/globals.h"

namespace outside {

com::Ptr<ado::Connection> BindThreadContext(std::u16string_view sDsn) {
  const com::Ptr<tavglobal::DataContext> context =
      tavglobal::Globals::Current().GetCurrentContext();
  context->BindDsn(sDsn);
  return context->GetConnection();
}

com::Ptr<ado::Recordset> Query(const com::Ptr<ado::Connection>& connection, std::u16string_view sql,
                               std::initializer_list<oleaut::Variant> values) {
  auto command = com::Make<ado::Command>();
  command->SetActiveConnection(connection);
  command->SetCommandText(sql);
  const std::vector<oleaut::Variant> bound(values);
  return command->Execute(nullptr, bound);
}

oleaut::Variant WidenedValue(const oleaut::Variant& value) {
  if (value.Type() == oleaut::VarType::Integer) return std::int32_t{value.AsInteger()};
  return value;
}

}  // namespace outside
