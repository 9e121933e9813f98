// The translation cache by shape: batches that differ only in literals that do not change the
// translation share one, with their own values bound; the others never do.
#include <gtest/gtest.h>

#include "com_error_of.h"
#include "platform/ado/provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/program.h"
#include "platform/tsql/shape.h"
#include "temp_dir.h"

namespace {

// Every statement of a program with its literals written in, as it runs for `batch`.
std::string AsRun(const tsql::Program& program, const tsql::Binding& binding) {
  std::string out;
  tsql::ForEachStatement(program.nodes, [&](const tsql::SqlStatement& statement) {
    out += tsql::WithLiteralsShown(statement, binding) + "\n";
  });
  return out;
}

TEST(ShapeCache, ReusesATranslationOnlyWhereTheLiteralsDoNotChangeIt) {
  struct Case {
    std::u16string_view first;
    std::u16string_view second;
    bool shared;
  };
  const Case cases[] = {
      {u"if not exists(select top 1 1 from #tmpsort where FValue=1234)\r\ninsert into #tmpsort "
       u"(FValue) values (1234)",
       u"if not exists(select top 1 1 from #tmpsort where FValue=77)\r\ninsert into #tmpsort "
       u"(FValue) values (77)",
       true},
      {u"select FQty from ICStockBillEntry where FInterID IN (1002,1001,1002) and FNote = 'ab'",
       u"select FQty from ICStockBillEntry where FInterID IN (7,8,9) and FNote = 'xy'", true},
      // The literal's type is part of the shape: int, beyond int, decimal, float, text length.
      {u"select 2147483647 / 2", u"select 3000000001 / 2", false},
      {u"select 1 + 2", u"select 1 + 2.5", false},
      {u"select 1.25 * 2", u"select 1.2 * 2", false},
      {u"select 1 + 2", u"select 1 + 2e0", false},
      {u"select isnull(NULL, 'ab')", u"select isnull(NULL, 'abc')", false},
      {u"select N'ab'", u"select 'ab'", false},
      // Values the translation depends on are written into it and checked.
      {u"select FName, FNumber from t_Item order by 1",
       u"select FName, FNumber from t_Item order by 2", false},
      {u"select FName from t_Item where FName like 'a%'",
       u"select FName from t_Item where FName like 'b%'", true},
      {u"select object_id('t_Item')", u"select object_id('t_Unit')", false},
      {u"select convert(varchar, getdate(), 101)", u"select convert(varchar, getdate(), 112)",
       false},
      {u"select cast(FName as varchar(10)) from t_Item",
       u"select cast(FName as varchar(20)) from t_Item", false},
      {u"create table #d (a int default 1)", u"create table #d (a int default 2)", false},
      {u"select 1 'one'", u"select 1 'two'", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.second));
    const tsql::Translation first = tsql::Translate(c.first, nullptr);
    const tsql::Translation second = tsql::Translate(c.second, nullptr);
    EXPECT_EQ(first.program == second.program, c.shared);
    // Shared or not, the second batch runs as its own translation would.
    const auto own = tsql::TranslateUncached(c.second, nullptr);
    EXPECT_EQ(AsRun(*second.program, *second.binding),
              AsRun(*own, *tsql::MakeBinding(*own, tsql::Tokenize(c.second))));
  }
}

TEST(ShapeCache, MessagesQuoteTheStatementThatRan) {
  const std::u16string_view first = u"select 1 select convert(int, '12')";
  const std::u16string_view second = u"select 22 select convert(int, 'zz')";
  tsql::Translate(first, nullptr);
  const tsql::Translation translation = tsql::Translate(second, nullptr);
  const auto& last = std::get<tsql::SqlStatement>(translation.program->nodes.back().item);
  EXPECT_EQ(translation.SourceOf(second, last), u"select convert(int, 'zz')");
}

// Batches that share a translation (the bills a print selects, say) each run with their own
// values through the provider: the entry data tests check the rows of each selected bill; an
// error quotes the statement as it ran.
TEST(ShapeCache, AnErrorThroughTheProviderQuotesTheStatementThatRan) {
  tavtest::TempDir dir;
  auto p = ado::OpenProvider(oleaut::FromUtf8("Provider=SQLite;Mode=ReadWriteCreate;Data Source=" +
                                              (dir / "shape.db").string()));
  p->Execute(u"select 5 select convert(int, '12')", {});
  const oleaut::ComError e =
      tavtest::ErrorOf([&] { p->Execute(u"select 6 select convert(int, 'x7')", {}); });
  EXPECT_NE(std::string(e.what()).find("convert(int, 'x7')"), std::string::npos) << e.what();
}

}  // namespace
