// What the template store's members share: who the user is, building statement texts from
// literal pieces and numbers, the parameters of the commands that write bodies and settings, and
// the readings of stored values that every member makes the same way.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "frame/sql_quote.h"
#include "frame/sql_text.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/com/object.h"
#include "platform/oleaut/text.h"
#include "platform/oleaut/variant.h"
#include "platform/tavglobal/data_context.h"

namespace templates {

// FName of the page-settings rows.
inline constexpr std::u16string_view kPageSettingsName = u"存放页面设置信息";

// Where the component's messages are written (it never shows a dialog).
inline constexpr std::u16string_view kEventSource = u"TAVMPrintExport";

// ADO's largest long binary: the declared size of every blob parameter.
inline constexpr std::int32_t kBlobSize = 2147483647;

// The administrator's user id as statement text: the administrator's rows are every user's
// default, so many statements name that user.
const oleaut::Bstr& AdministratorId();

// Asked afresh each time a statement needs them, as the context may have been rebound.
std::int16_t CurrentUserId(tavglobal::DataContext& context);
oleaut::Bstr CurrentUserName(tavglobal::DataContext& context);

// The store's vocabulary for statement texts and values.
using frame::Num;
using frame::Sql;
using frame::SqlQuote;
using frame::SqlQuoteKeepBreaks;
using frame::TextOrEmpty;
using oleaut::Bstr;
using oleaut::Variant;

// A command on `connection` with `text`, adCmdText, and no parameters yet.
com::Ptr<ado::Command> TextCommand(const com::Ptr<ado::Connection>& connection,
                                   std::u16string_view text);

// CreateParameter with an empty name and adParamInput, then Parameters.Append.
void AppendParameter(ado::Command& command, std::int32_t type, std::int32_t size,
                     const oleaut::Variant& value);

// Runs the command once and lets go of its connection.
void ExecuteOnce(ado::Command& command);

// The first column of "select @@IDENTITY": the id of the row the session inserted last, or Null.
oleaut::Variant LastIdentity(ado::Connection& connection);

// The leading number of a text (blanks ignored, none gives 0), rounded to a Long with halves to
// the even neighbour.
std::int32_t LeadingLong(std::u16string_view text);

// The declared size of a text parameter that carries a settings text the store itself holds:
// the given size, or wider for a text stored longer (option texts are written as literals, so
// they may exceed it), so that copying stored data never fails on its own contents.
std::int32_t StoredTextSize(std::int32_t declared, const oleaut::Bstr& text);

// The value of the field `name` of the recordset's current row.
oleaut::Variant FieldValue(const ado::Recordset& recordset, std::u16string_view name);

}  // namespace templates
