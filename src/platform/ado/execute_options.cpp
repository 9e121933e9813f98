#include "platform/ado/execute_options.h"

#include "platform/ado/errors.h"
#include "platform/ado/types.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"

namespace ado {
namespace {

constexpr std::int32_t kCmdFile = 0x100;
// OLE DB's DB_E_NOCOMMAND.
constexpr auto kNoCommandText = oleaut::DB_E_NOCOMMAND;
constexpr std::int32_t kCmdTableDirect = 0x200;

bool IsCommandType(std::int32_t type) {
  switch (type) {
    case adCmdText:
    case adCmdTable:
    case adCmdStoredProc:
    case adCmdUnknown:
    case kCmdFile:
    case kCmdTableDirect:
      return true;
    default:
      return false;
  }
}

}  // namespace

ExecuteOptions DecodeExecuteOptions(std::int32_t options, std::int32_t fallback_type,
                                    std::u16string_view source) {
  if (fallback_type == adCmdUnspecified) fallback_type = adCmdUnknown;
  if (options == adOptionUnspecified) return {fallback_type, false};
  ExecuteOptions decoded{options & ~adExecuteNoRecords, (options & adExecuteNoRecords) != 0};
  if (decoded.command_type == 0) decoded.command_type = fallback_type;
  if (!IsCommandType(decoded.command_type)) {
    RaiseAdoError(kAdoWrongArguments, source,
                  u"Options " + NumberText(options) +
                      u" is not a command type with optional adExecuteNoRecords; asynchronous "
                      u"execution is not available.");
  }
  return decoded;
}

std::u16string StatementFor(std::u16string_view text, std::int32_t command_type,
                            std::u16string_view source) {
  if (text.empty()) {
    throw oleaut::ComError(kNoCommandText, std::u16string(source),
                           u"Command text was not set for the command object.");
  }
  switch (command_type) {
    case adCmdTable:
    case kCmdTableDirect:
      return u"SELECT * FROM " + std::u16string(text);
    case adCmdStoredProc:
      RaiseAdoError(kAdoFeatureNotAvailable, source,
                    u"Stored procedures cannot be called here; '" + std::u16string(text) +
                        u"' was given as one.");
    case kCmdFile:
      RaiseAdoError(kAdoFeatureNotAvailable, source,
                    u"Recordsets cannot be opened from files; '" + std::u16string(text) +
                        u"' was given as one.");
    default:
      return std::u16string(text);
  }
}

}  // namespace ado
