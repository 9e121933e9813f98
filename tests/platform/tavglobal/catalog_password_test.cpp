// Passwords of catalog sources: read from the environment variable or the file the entry names,
// handed to the provider quoted, and never shown in errors or in the SQL trace.
#include <gtest/gtest.h>

#include <fstream>

#include "com_error_of.h"
#include "odbc_driver.h"
#include "platform/ado/connection.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/globals.h"
#include "temp_dir.h"

namespace tavglobal {
namespace {

constexpr char kSecret[] = "Hu;sh}=x'\"";

class CatalogPasswordTest : public testing::Test {
 protected:
  // Binds a source of its own, named afresh: a thread keeps its connections for its life.
  void Bind(const std::string& entry) {
    const std::string name =
        "pw" + std::to_string(++count_) + dir_.Path().filename().string().substr(8);
    std::ofstream(dir_ / "catalog.toml") << "[sources." << name << "]\n" << entry;
    Globals::Current().GetCurrentContext()->BindDsn(oleaut::FromUtf8(name));
  }

  tavtest::TempDir dir_;
  tavtest::ScopedEnv catalog_env_{"TAV_CATALOG", (dir_ / "catalog.toml").string()};
  tavtest::ScopedEnv secret_env_{"TAV_TEST_SECRET", kSecret};
  int count_ = 0;
};

TEST_F(CatalogPasswordTest, MisplacedPasswordsAreRefusedWithoutShowingThem) {
  std::ofstream(dir_ / "secret.txt") << kSecret << "\n";
  const std::string sqlite =
      "connection = \"Provider=SQLite;Data Source=" + (dir_ / "x.db").string() +
      ";Mode=ReadWriteCreate\"\n";
  struct Case {
    std::string entry;
    std::string error;
  };
  const Case cases[] = {
      {sqlite + "password = \"Hu;sh}=x\"\n", "password is not read: name an environment variable"},
      {sqlite + "password_env = \"TAV_TEST_UNSET_SECRET\"\n",
       "environment variable TAV_TEST_UNSET_SECRET, which is not set"},
      {sqlite + "password_file = \"" + (dir_ / "none.txt").string() + "\"\n", "cannot be read"},
      {sqlite + "password_env = \"TAV_TEST_SECRET\"\npassword_file = \"x\"\n", "names both"},
      // Reaches the provider whole, quotes and all, which refuses a login it cannot check.
      {sqlite + "password_env = \"TAV_TEST_SECRET\"\n", "The SQLite provider has no logins"},
      {sqlite + "password_file = \"" + (dir_ / "secret.txt").string() + "\"\n", "has no logins"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const std::string message = tavtest::ErrorOf([&] { Bind(c.entry); }).what();
    EXPECT_NE(message.find(c.error), std::string::npos) << message;
    EXPECT_EQ(message.find("Hu;sh"), std::string::npos) << message;
  }
}

TEST_F(CatalogPasswordTest, AnOdbcSourceGetsThePasswordAndTheTraceNeverShowsIt) {
  Bind("connection = \"" + tavtest::NewSqliteOdbcDatabase(dir_ / "odbc.db") +
       "\"\npassword_env = \"TAV_TEST_SECRET\"\n");
  ado::ScopedSqlTrace trace;
  Globals::Current().GetCurrentContext()->GetConnection()->Execute(u"select 1 as one");
  ASSERT_EQ(trace.Entries().size(), 1u);
  const std::string provider = oleaut::ToUtf8(trace.Entries()[0].provider);
  EXPECT_NE(provider.find("PWD=***"), std::string::npos) << provider;
  EXPECT_EQ(provider.find("Hu;sh"), std::string::npos) << provider;
}

TEST_F(CatalogPasswordTest, AConnectionStringUsedAsANameIsShownWithoutItsPassword) {
  const std::string message =
      tavtest::ErrorOf([&] {
        Globals::Current().GetCurrentContext()->BindDsn(
            u"Provider=SQLOLEDB;Data Source=db01;Integrated Security=SSPI;Password={Hu;sh}");
      }).what();
  EXPECT_NE(message.find("Password=***"), std::string::npos) << message;
  EXPECT_EQ(message.find("Hu;sh"), std::string::npos) << message;
}

}  // namespace
}  // namespace tavglobal
