// The template store's two hot reads, each with 1,000 and with 100,000 rows in the assignment
// table: GetNotePrintData when the whole fallback chain runs (the template is found by its last
// step), and GetNoteInfo for a user with 20 templates. The statements filter on the indexed
// columns, so the larger table should cost about as much as the smaller one.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "frame/cls_print_setup_query.h"
#include "platform/ado/command.h"
#include "platform/ado/connection.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "sized_databases.h"

namespace {

constexpr int kUser = 16395;
constexpr int kOtherUser = 16396;
constexpr int kListType = 21;   // the user's 20 templates
constexpr int kChainType = 22;  // only another user's template of sub-type X

// Writes through the ADO stand-in: the schema's text columns use the engine's T-SQL collation,
// which only its provider installs.
class Filler {
 public:
  explicit Filler(const com::Ptr<ado::Connection>& connection)
      : connection_(connection),
        body_(Command(u"INSERT INTO T_ExcelPrintExportNote (FName,FScreenId,FCreatorName,"
                      u"FNewBillType,FData) VALUES (?,?,'bench',?,0x5441565052543031)")),
        row_(Command(u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FName,FData,"
                     u"FBillTypeSub,FSel) VALUES (?,?,?,?,'',?,?)")) {}

  // A body and a row assigning it to `user`.
  void Template(int type, int user, const std::string& name, const char16_t* sub, int sel) {
    const oleaut::Bstr type_text = oleaut::FromUtf8(std::to_string(type));
    const oleaut::Bstr name_text = oleaut::FromUtf8(name);
    const oleaut::Variant body[] = {name_text, type_text, type_text};
    body_->Execute(nullptr, body);
    const auto id = connection_->Execute(u"select @@IDENTITY")->Fields()->Item(0)->Value();
    const oleaut::Variant row[] = {type, id, user, name_text, sub, sel};
    row_->Execute(nullptr, row);
  }

 private:
  com::Ptr<ado::Command> Command(std::u16string_view text) const {
    auto command = com::Make<ado::Command>();
    command->SetActiveConnection(connection_);
    command->SetCommandText(text);
    return command;
  }

  com::Ptr<ado::Connection> connection_;
  com::Ptr<ado::Command> body_;
  com::Ptr<ado::Command> row_;
};

// A database with `rows` assignment rows: the user's 20 templates of one bill type, another
// user's selected template of sub-type X of a second type, and the rest spread over 500 other
// bill types and 200 other users.
void FillAssignments(const std::filesystem::path& path, std::int64_t rows) {
  auto connection = com::Make<ado::Connection>();
  connection->Open(tavglobal::SqliteConnectionString(path));
  connection->BeginTrans();
  connection->Execute(u"INSERT INTO t_User (FUserID, FName) VALUES (" +
                      oleaut::FromUtf8(std::to_string(kUser)) + u", N'bench')");
  Filler fill(connection);
  for (int i = 0; i < 20; ++i)
    fill.Template(kListType, kUser, "t" + std::to_string(i), u"", i == 0);
  fill.Template(kChainType, kOtherUser, "x", u"X", 1);
  for (int i = 21; i < rows; ++i) {
    fill.Template(1000 + i % 500, 20000 + (i / 500) % 200, "f" + std::to_string(i),
                  i % 3 == 0 ? u"RED" : u"", i % 10 == 0);
  }
  connection->CommitTrans();
}

const std::filesystem::path& Database(int rows) {
  static bench::SizedDatabases databases("templates", "store", FillAssignments);
  return databases.Of(rows);
}

void UseBenchUser() {
  setenv("TAV_USER_ID", std::to_string(kUser).c_str(), 1);
  setenv("TAV_USER_NAME", "bench", 1);
}

// Calls the query class's `member` with the data source of a database of state.range(0) rows
// and `args`, once per iteration.
template <class... Args>
void CallQueryMember(benchmark::State& state, std::u16string_view member, const Args&... args) {
  UseBenchUser();
  const oleaut::Bstr dsn =
      tavglobal::SqliteConnectionString(Database(static_cast<int>(state.range(0))));
  auto query = com::Make<frame::clsPrintSetupQuery>();
  for (auto _ : state) {
    benchmark::DoNotOptimize(query->Call(member, dsn, args...));
  }
}

void BM_GetNotePrintDataFullChain(benchmark::State& state) {
  CallQueryMember(state, u"GetNotePrintData", kChainType, u"X");
}
BENCHMARK(BM_GetNotePrintDataFullChain)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_GetNoteInfoTwentyTemplates(benchmark::State& state) {
  CallQueryMember(state, u"GetNoteInfo", kListType);
}
BENCHMARK(BM_GetNoteInfoTwentyTemplates)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
