#include "platform/tavglobal/identity.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <span>
#include <string_view>
#include <vector>

#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace tavglobal {

namespace {

constexpr std::u16string_view kSource = u"TAVGlobal.Identity";
constexpr std::u16string_view kAdministratorName = u"Manager";
constexpr std::u16string_view kDefaultLanguage = u"CHS";
constexpr std::u16string_view kUserQuery = u"SELECT FUserID, FName, FLanguage FROM t_User WHERE ";

[[noreturn]] void Raise(const std::u16string& description) {
  throw oleaut::ComError(oleaut::VbHresult(oleaut::kInvalidProcedureCall), std::u16string(kSource),
                         description);
}

const char* NonEmptyEnv(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

std::u16string Decimal(std::int64_t number) {
  return oleaut::FromUtf8(std::to_string(number));
}

struct UserRow {
  std::int64_t id = 0;
  std::u16string name;
  std::u16string language;
};

// The platform's own look-up, kept out of the captures that check the component's statements.
std::vector<UserRow> FindUsers(ado::Connection& connection, std::u16string_view condition,
                               std::span<const ado::ParameterValue> parameters) {
  const ado::SqlTraceCaptureHold hold;
  const ado::ExecuteResult result =
      connection.Run(std::u16string(kUserQuery) + std::u16string(condition), parameters, kSource);
  std::vector<UserRow> users;
  if (!result.rows) return users;
  const ado::RowSet& rows = *result.rows;
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    const oleaut::Variant* values = &rows.values[row * rows.columns.size()];
    users.push_back(
        {oleaut::ToLong(values[0]), oleaut::ToString(values[1]),
         values[2].IsNull() ? std::u16string(kDefaultLanguage) : oleaut::ToString(values[2])});
  }
  return users;
}

// As the database compares names: without regard to ASCII case and trailing blanks.
bool SameName(std::u16string_view a, std::u16string_view b) {
  return oleaut::EqualsNoCase(oleaut::RTrim(a), oleaut::RTrim(b));
}

std::u16string Quoted(std::u16string_view name) {
  return u"'" + std::u16string(name) + u"'";
}

std::vector<UserRow> UsersAskedFor(const IdentityRequest& request, ado::Connection& connection) {
  try {
    if (request.user_id) return FindUsers(connection, u"FUserID=" + Decimal(*request.user_id), {});
    const std::u16string& name = *request.user_name;
    const ado::ParameterValue parameter{
        ado::adVarWChar, ado::adParamInput,
        std::max<std::int32_t>(1, static_cast<std::int32_t>(name.size())), oleaut::Bstr(name)};
    return FindUsers(connection, u"FName=?", {&parameter, 1});
  } catch (const oleaut::ComError& error) {
    const std::u16string who = request.user_id ? u"user id " + Decimal(*request.user_id)
                                               : u"user " + Quoted(*request.user_name);
    Raise(u"cannot tell who " + who + u" is: the application's user table t_User cannot be read (" +
          error.Description() + u")");
  }
}

}  // namespace

IdentityRequest RequestedIdentity(const DataSourceEntry* entry) {
  IdentityRequest request;
  const char* env_id = NonEmptyEnv("TAV_USER_ID");
  const char* env_name = NonEmptyEnv("TAV_USER_NAME");
  if (env_id || env_name) {
    if (env_id) {
      char* end = nullptr;
      const long value = std::strtol(env_id, &end, 10);
      if (*end != '\0' || value < std::numeric_limits<std::int16_t>::min() ||
          value > std::numeric_limits<std::int16_t>::max()) {
        throw oleaut::ComError(oleaut::VbHresult(oleaut::kOverflow), std::u16string(kSource),
                               u"TAV_USER_ID must be an integer from -32768 to 32767, not '" +
                                   oleaut::FromUtf8(env_id) + u"'");
      }
      request.user_id = static_cast<std::int16_t>(value);
    }
    if (env_name) request.user_name = oleaut::FromUtf8(env_name);
  } else if (entry) {
    request.user_id = entry->user_id;
    request.user_name = entry->user_name;
  }
  if (const char* language = NonEmptyEnv("TAV_LANGUAGE")) {
    request.language = oleaut::FromUtf8(language);
  } else if (entry && entry->language && !(env_id || env_name)) {
    request.language = entry->language;
  }
  return request;
}

com::Ptr<UserInfo> ResolveIdentity(const IdentityRequest& request, ado::Connection& connection) {
  if (!request.NamesAUser()) {
    // The administrator needs no row; where the table has one, it spells the name.
    std::vector<UserRow> rows;
    try {
      rows = FindUsers(connection, u"FUserID=" + Decimal(kAdministratorUserId), {});
    } catch (const oleaut::ComError&) {  // NOLINT(bugprone-empty-catch): no user table here
    }
    const UserRow fallback{kAdministratorUserId, std::u16string(kAdministratorName),
                           std::u16string(kDefaultLanguage)};
    const UserRow& user = rows.empty() ? fallback : rows.front();
    return com::Make<UserInfo>(user.name, kAdministratorUserId,
                               request.language.value_or(user.language));
  }

  const std::vector<UserRow> rows = UsersAskedFor(request, connection);
  if (request.user_id) {
    const std::u16string id = Decimal(*request.user_id);
    if (rows.empty()) Raise(u"user id " + id + u" is not in the application's user table t_User");
    if (request.user_name && !SameName(*request.user_name, rows.front().name)) {
      Raise(u"user id " + id + u" is " + Quoted(rows.front().name) +
            u" in the user table t_User, not " + Quoted(*request.user_name) +
            u": give the id alone, or the name that goes with it");
    }
  } else {
    const std::u16string name = Quoted(*request.user_name);
    if (rows.empty())
      Raise(u"no user is named " + name + u" in the application's user table t_User");
    if (rows.size() > 1) {
      Raise(u"users " + Decimal(rows[0].id) + u" and " + Decimal(rows[1].id) + u" are both named " +
            name + u" in the user table t_User: give the user id");
    }
  }
  const UserRow& user = rows.front();
  if (user.id < std::numeric_limits<std::int16_t>::min() ||
      user.id > std::numeric_limits<std::int16_t>::max()) {
    Raise(u"user " + Quoted(user.name) + u" has the id " + Decimal(user.id) +
          u", beyond the 16-bit user ids the component works with");
  }
  return com::Make<UserInfo>(user.name, static_cast<std::int16_t>(user.id),
                             request.language.value_or(user.language));
}

com::Ptr<UserInfo> UnboundIdentity(const IdentityRequest& request) {
  if (!request.NamesAUser()) {
    return com::Make<UserInfo>(std::u16string(kAdministratorName), kAdministratorUserId,
                               request.language.value_or(std::u16string(kDefaultLanguage)));
  }
  return com::Make<UserInfo>(request.user_name.value_or(std::u16string()),
                             request.user_id.value_or(0),
                             request.language.value_or(std::u16string(kDefaultLanguage)));
}

}  // namespace tavglobal
