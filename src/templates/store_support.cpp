#include "templates/store_support.h"

#include <algorithm>
#include <string>

#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/tavglobal/user_info.h"
#include "platform/vdl/utility.h"

namespace templates {

const oleaut::Bstr& AdministratorId() {
  static const oleaut::Bstr text = Num(tavglobal::kAdministratorUserId);
  return text;
}

std::int16_t CurrentUserId(tavglobal::DataContext& context) {
  return context.GetUserInfo()->UserID();
}

oleaut::Bstr CurrentUserName(tavglobal::DataContext& context) {
  return context.GetUserInfo()->UserName();
}

com::Ptr<ado::Command> TextCommand(const com::Ptr<ado::Connection>& connection,
                                   std::u16string_view text) {
  auto command = com::Make<ado::Command>();
  command->SetActiveConnection(connection);
  command->SetCommandType(ado::adCmdText);
  command->SetCommandText(text);
  return command;
}

void AppendParameter(ado::Command& command, std::int32_t type, std::int32_t size,
                     const oleaut::Variant& value) {
  command.Parameters()->Append(command.CreateParameter({}, type, ado::adParamInput, size, value));
}

void ExecuteOnce(ado::Command& command) {
  command.Execute();
  command.SetActiveConnection({});
}

oleaut::Variant LastIdentity(ado::Connection& connection) {
  const auto identity = connection.Execute(u"select @@IDENTITY");
  return identity->Fields()->Item(0)->Value();
}

std::int32_t LeadingLong(std::u16string_view text) {
  return oleaut::ToLong(oleaut::Val(text));
}

std::int32_t StoredTextSize(std::int32_t declared, const oleaut::Bstr& text) {
  return std::max(declared, static_cast<std::int32_t>(text.size()));
}

oleaut::Variant FieldValue(const ado::Recordset& recordset, std::u16string_view name) {
  return recordset.Fields()->Item(name)->Value();
}

}  // namespace templates
