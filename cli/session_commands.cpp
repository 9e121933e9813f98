#include "session_commands.h"

#include <cstdlib>

#include "json_values.h"
#include "platform/ado/connection_string.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/catalog.h"
#include "platform/tavglobal/data_context.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"
#include "recordset_printer.h"

namespace tavprint {

namespace {

using oleaut::FromUtf8;
using oleaut::ToUtf8;

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// Where the identity asked for comes from, in the order identity.h gives them precedence.
std::string IdentitySource(const tavglobal::DataSourceEntry* entry) {
  if (IsSet("TAV_USER_ID") || IsSet("TAV_USER_NAME")) {
    return "asked for with --user-id or --user-name (TAV_USER_ID, TAV_USER_NAME)";
  }
  if (entry != nullptr && (entry->user_id || entry->user_name)) {
    return "the catalog entry's user_id or user_name";
  }
  return "nobody was asked for: the administrator";
}

std::string UserText(const tavglobal::DataSourceEntry& entry) {
  std::string text;
  if (entry.user_id) text = std::to_string(*entry.user_id);
  if (entry.user_name) text += (text.empty() ? "" : " ") + ToUtf8(*entry.user_name);
  return text.empty() ? "(the administrator)" : text;
}

}  // namespace

void RunWhoami(const std::string& dsn, const OutputOptions& options, std::ostream& out) {
  const auto context = tavglobal::Globals::Current().GetCurrentContext();
  context->BindDsn(FromUtf8(dsn));
  const auto user = context->GetUserInfo();
  const std::string source = IdentitySource(tavglobal::Catalog::Load().Find(FromUtf8(dsn)));
  const bool administrator = user->UserID() == tavglobal::kAdministratorUserId;
  if (options.json) {
    return WriteJson({{"data_source", dsn},
                      {"user_id", user->UserID()},
                      {"user_name", ToUtf8(user->UserName())},
                      {"language", ToUtf8(user->Language())},
                      {"administrator", administrator},
                      {"identity_from", source}},
                     out);
  }
  out << ToUtf8(user->UserName()) << " (user " << user->UserID() << ", language "
      << ToUtf8(user->Language()) << (administrator ? ", the administrator" : "") << ") on " << dsn
      << '\n'
      << "Identity: " << source << '\n';
}

void RunSources(const OutputOptions& options, std::ostream& out) {
  const tavglobal::Catalog catalog = tavglobal::Catalog::Load();
  const std::string demo = ToUtf8(tavglobal::SqliteConnectionString(tavglobal::DemoDatabasePath()));
  const auto entries = catalog.Entries();
  const auto has_demo_entry = [&] {
    for (const tavglobal::DataSourceEntry* entry : entries) {
      if (oleaut::EqualsNoCase(entry->name, u"demo")) return true;
    }
    return false;
  }();
  if (options.json) {
    Json sources = Json::array();
    if (!has_demo_entry) sources.push_back({{"name", "demo"}, {"connection", demo}});
    for (const tavglobal::DataSourceEntry* entry : entries) {
      Json source = {
          {"name", ToUtf8(entry->name)},
          {"connection", entry->connection.empty()
                             ? demo
                             : ToUtf8(ado::RedactedConnectionString(entry->connection))}};
      if (entry->user_id) source["user_id"] = *entry->user_id;
      if (entry->user_name) source["user_name"] = ToUtf8(*entry->user_name);
      if (entry->language) source["language"] = ToUtf8(*entry->language);
      sources.push_back(std::move(source));
    }
    return WriteJson({{"catalog", catalog.Path().string()}, {"sources", sources}}, out);
  }
  out << "Data sources (catalog " << catalog.Path().string()
      << (entries.empty() ? ", which names none yet" : "") << ")\n";
  std::vector<std::vector<std::string>> cells{{"name", "user", "connection"}};
  if (!has_demo_entry) cells.push_back({"demo", "(the administrator)", demo});
  for (const tavglobal::DataSourceEntry* entry : entries) {
    cells.push_back({ToUtf8(entry->name), UserText(*entry),
                     entry->connection.empty()
                         ? demo
                         : ToUtf8(ado::RedactedConnectionString(entry->connection))});
  }
  PrintTextTable(cells, out);
  out << "A new one: tavprint create-db FILE says how to add it.\n";
}

}  // namespace tavprint
