// The data-access context: resolving data-source names, user identity, per-call transactions,
// per-thread contexts, and concurrent writers on one database file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "com_error_of.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/globals.h"
#include "temp_dir.h"
#include "threads.h"

namespace tavglobal {
namespace {

using oleaut::ComError;
using oleaut::FromUtf8;

class ContextTest : public testing::Test {
 protected:
  ContextTest()
      : catalog_env_("TAV_CATALOG", (dir_ / "catalog.toml").string()),
        data_env_("TAV_DATA_DIR", (dir_ / "data").string()) {
    // Each test names its source afresh: a thread keeps its connections for its whole life.
    WriteCatalog("[sources." + dsn_ + "]\nconnection = \"" + ConnectionFor("books.db") +
                 "\"\nuser_id = 7\nuser_name = \"王芳\"\nlanguage = \"EN\"\n");
    CreateDatabase(dir_ / "books.db", /*with_demo_data=*/false);
    auto seed = com::Make<ado::Connection>();
    seed->Open(FromUtf8(ConnectionFor("books.db")));
    seed->Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (7, N'王芳')");
    seed->Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (12, N'Li Lei')");
    Run(u"CREATE TABLE t_Log (FID int NOT NULL, FText nvarchar(50) NULL)");
  }

  std::string ConnectionFor(const std::string& file) const {
    return "Provider=SQLite;Data Source=" + (dir_ / file).string();
  }
  void WriteCatalog(const std::string& text) const { std::ofstream(dir_ / "catalog.toml") << text; }
  static com::Ptr<DataContext> Context() { return Globals::Current().GetCurrentContext(); }
  com::Ptr<ado::Recordset> Run(std::u16string_view sql) const {
    auto context = Context();
    context->BindDsn(FromUtf8(dsn_));
    return context->GetConnection()->Execute(sql);
  }
  std::int32_t Count(std::u16string_view table) const {
    auto rs = Run(u"SELECT count(*) FROM " + std::u16string(table));
    return oleaut::ToLong(rs->Fields()->Item(oleaut::Variant(0))->Value());
  }

  void DemoIsRecreatedInPlace();

  tavtest::TempDir dir_;
  std::string dsn_ = "books_" + dir_.Path().filename().string().substr(8);
  tavtest::ScopedEnv catalog_env_;
  tavtest::ScopedEnv data_env_;
};

// A user asked for by id or by name comes with the name and language t_User gives them; an id
// never goes with another user's name.
TEST_F(ContextTest, IdentityComesFromTheUserTable) {
  {
    auto seed = com::Make<ado::Connection>();
    seed->Open(FromUtf8(ConnectionFor("books.db")));
    seed->Execute(u"INSERT INTO t_User (FUserID, FName, FLanguage) VALUES (8, N'Ann', 'CHT')");
    seed->Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (14, N'重名')");
    seed->Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (15, N'重名')");
    auto other = com::Make<ado::Connection>();  // another application's database: no t_User
    other->Open(FromUtf8(ConnectionFor("other.db") + ";Mode=ReadWriteCreate"));
    other->Execute(u"CREATE TABLE t_Other (FID int)");
  }
  const std::string books = ConnectionFor("books.db");
  const std::string other = ConnectionFor("other.db");
  const std::string upper_dsn = oleaut::ToUtf8(oleaut::UCase(FromUtf8(dsn_)));
  struct Case {
    const char* label;
    std::string dsn;
    std::string id, name, language;  // TAV_USER_ID, TAV_USER_NAME, TAV_LANGUAGE; "" unset
    std::int16_t expected_id = 0;
    std::u16string expected_name, expected_language, error;
  };
  const Case cases[] = {
      {"nobody asked for", books, "", "", "", 16394, u"Manager", u"CHS", u""},
      {"an id alone", books, "8", "", "", 8, u"Ann", u"CHT", u""},
      {"an id and its name", books, "12", "Li Lei", "", 12, u"Li Lei", u"CHS", u""},
      {"a language asked for", books, "8", "", "EN", 8, u"Ann", u"EN", u""},
      {"a name alone, in other case", books, "", "ANN", "", 8, u"Ann", u"CHT", u""},
      {"the environment over the catalog", dsn_, "12", "", "", 12, u"Li Lei", u"CHS", u""},
      // Source names are compared without regard to case.
      {"the catalog's id and name", upper_dsn, "", "", "", 7, u"王芳", u"EN", u""},
      // An unknown id or name, and an id with another user's name: tavprint's fault tests.
      {"a name two users have", books, "", "重名", "", 0, u"", u"",
       u"users 14 and 15 are both named '重名'"},
      {"no user table, nobody asked for", other, "", "", "", 16394, u"Manager", u"CHS", u""},
      {"no user table, an id", other, "7", "", "", 0, u"", u"", u"cannot tell who user id 7 is"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const tavtest::ScopedEnv id("TAV_USER_ID", c.id);
    const tavtest::ScopedEnv name("TAV_USER_NAME", c.name);
    const tavtest::ScopedEnv language("TAV_LANGUAGE", c.language);
    // A thread of its own: a context keeps the identity of each source it has bound.
    std::thread([&] {
      try {
        auto context = Context();
        context->BindDsn(FromUtf8(c.dsn));
        const auto user = context->GetUserInfo();
        EXPECT_EQ(c.error, u"");
        EXPECT_EQ(user->UserID(), c.expected_id);
        EXPECT_EQ(user->UserName(), c.expected_name);
        EXPECT_EQ(user->Language(), c.expected_language);
      } catch (const ComError& e) {
        EXPECT_NE(c.error, u"") << e.what();
        EXPECT_NE(e.Description().find(c.error), std::u16string::npos) << e.what();
      }
    }).join();
  }
}

TEST_F(ContextTest, BadSourcesRaiseNamingTheSourceAndCause) {
  std::ofstream(dir_ / "junk.db") << std::string(4096, 'x');
  WriteCatalog("[sources.junk]\nconnection = \"" + ConnectionFor("junk.db") + "\"\n");
  struct Case {
    std::u16string dsn;
    std::u16string expected;
  };
  for (const Case& c : {Case{u"nowhere", u"no such data source"}, Case{u"junk", u"junk"}}) {
    const ComError e = tavtest::ErrorOf([&] {
      Context()->BindDsn(c.dsn);
      Context()->GetConnection()->Execute(u"SELECT 1");
    });
    EXPECT_NE(e.Description().find(c.dsn), std::u16string::npos) << e.what();
    EXPECT_NE(e.Description().find(c.expected), std::u16string::npos) << e.what();
  }
  WriteCatalog("[sources.broken\nconnection = 1");
  const ComError e = tavtest::ErrorOf([] { Context()->BindDsn(u"other"); });
  EXPECT_NE(e.Description().find(u"catalog.toml"), std::u16string::npos) << e.what();
  EXPECT_NE(e.Description().find(u"line 1"), std::u16string::npos) << e.what();
}

// Recreating the demo data source under a connection that stays open: the connection sees the
// new database, and what it commits afterwards is in the file everybody opens, not in a removed
// one.
TEST_F(ContextTest, DemoIsRecreatedInPlaceUnderOpenConnections) {
  // A thread of its own: the test thread's context may hold "demo" of an earlier test's folder.
  std::thread([this] { DemoIsRecreatedInPlace(); }).join();
}

void ContextTest::DemoIsRecreatedInPlace() {
  auto context = Context();
  context->BindDsn(u"demo");
  const auto profile_rows = [&] {
    return oleaut::ToLong(context->GetConnection()
                              ->Execute(u"SELECT count(*) FROM t_SystemProfile")
                              ->Fields()
                              ->Item(oleaut::Variant(0))
                              ->Value());
  };
  const std::int32_t seeded = profile_rows();
  context->GetConnection()->Execute(u"DELETE FROM t_SystemProfile");
  ResetDemoDatabase();
  EXPECT_EQ(profile_rows(), seeded);
  context->GetConnection()->Execute(
      u"INSERT INTO t_SystemProfile (FCategory, FKey, FValue) VALUES ('T', 'after', 'kept')");
  auto fresh = com::Make<ado::Connection>();
  fresh->Open(FromUtf8(ConnectionFor("data/demo.db")));
  EXPECT_FALSE(fresh->Execute(u"SELECT FValue FROM t_SystemProfile WHERE FKey = 'after'")->Eof());
}

TEST_F(ContextTest, OutermostCallCommitsOrRollsBackByVoteAndOutcome) {
  {  // no vote: commit
    CallScope call;
    Run(u"INSERT INTO t_Log VALUES (1, N'a')");
    call.Finish();
  }
  {  // last vote MarkFailed: roll back, even though the call returned
    CallScope call;
    Run(u"INSERT INTO t_Log VALUES (2, N'b')");
    Context()->MarkComplete();
    Context()->MarkFailed();
    call.Finish();
  }
  try {  // an exception leaves the call: roll back the write made before it
    CallScope call;
    Run(u"INSERT INTO t_Log VALUES (3, N'c')");
    Run(u"SELECT * FROM t_NoSuchTable");
    call.Finish();
  } catch (const ComError&) {
  }
  {  // a nested call joins the outer one; its own end commits nothing yet
    CallScope outer;
    {
      CallScope inner;
      Run(u"INSERT INTO t_Log VALUES (4, N'd')");
      inner.Finish();
    }
    Context()->MarkFailed();
    outer.Finish();
  }
  EXPECT_EQ(Count(u"t_Log"), 1);
}

TEST_F(ContextTest, EachThreadHasItsOwnContextAndTemporaryTables) {
  Run(u"CREATE TABLE #tmpsort (FID int)");
  com::Ptr<DataContext> other_context;
  std::int32_t other_rows = 0;
  std::thread([&, this] {
    other_context = Context();
    Run(u"CREATE TABLE #tmpsort (FID int)");  // its own session: no clash
    Run(u"INSERT INTO #tmpsort VALUES (1)");
    other_rows = Count(u"#tmpsort");
  }).join();
  EXPECT_NE(other_context, Context());
  EXPECT_EQ(other_rows, 1);
  EXPECT_EQ(Count(u"#tmpsort"), 0);
}

TEST_F(ContextTest, ConcurrentWritersWaitAndLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kCalls = 200;
  const auto failures = tavtest::OnThreads(kThreads, [this](int t) {
    for (int i = 0; i < kCalls; ++i) {
      CallScope call(TransactionIntent::Write);
      Run(u"INSERT INTO t_Log VALUES (" + FromUtf8(std::to_string(t * kCalls + i)) + u", N'x')");
      Context()->MarkComplete();
      call.Finish();
    }
  });
  EXPECT_EQ(failures, std::vector<std::string>(kThreads));
  EXPECT_EQ(Count(u"t_Log"), kThreads * kCalls);
}

}  // namespace
}  // namespace tavglobal
