// The translator on its own: tokens, the SQLite text of the statement shapes, markers, IF
// blocks, the cache, and where errors point.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "com_error_of.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "platform/tsql/program.h"
#include "platform/tsql/schema.h"
#include "platform/tsql/token.h"

using ::testing::HasSubstr;

namespace {

using tsql::TokenKind;

TEST(Tokenizer, ReadsTsqlLexicalForms) {
  const auto tokens = tsql::Tokenize(
      u"FBillID=12and [a]]b] \"q\" N'x''y' /* c /* d */ */ #tmp @@IDENTITY 0x1F 1.5e3 -- end");
  const std::vector<std::pair<TokenKind, std::u16string>> expected = {
      {TokenKind::kWord, u"FBillID"},        {TokenKind::kSymbol, u"="},
      {TokenKind::kNumber, u"12"},           {TokenKind::kWord, u"and"},
      {TokenKind::kQuotedName, u"a]b"},      {TokenKind::kQuotedName, u"q"},
      {TokenKind::kString, u"x'y"},          {TokenKind::kWord, u"#tmp"},
      {TokenKind::kVariable, u"@@IDENTITY"}, {TokenKind::kBinary, u"1F"},
      {TokenKind::kNumber, u"1.5e3"},        {TokenKind::kEnd, u""},
  };
  ASSERT_EQ(tokens.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(tokens[i].kind, expected[i].first) << i;
    EXPECT_EQ(tokens[i].text, expected[i].second) << i;
  }
  EXPECT_TRUE(tokens[6].national);
  EXPECT_EQ(tokens[3].pos.column, 11u);
}

const tsql::SqlStatement& Only(const tsql::Program& program) {
  EXPECT_EQ(program.nodes.size(), 1u);
  return std::get<tsql::SqlStatement>(program.nodes.at(0).item);
}

TEST(Generator, WritesSqliteTextWithTheSameMeaning) {
  struct Case {
    std::u16string_view tsql;
    std::string_view sqlite;
  };
  const Case cases[] = {
      {u"Select top 1 FId From T_X Where FNewBillType=57",
       R"(SELECT "FId" FROM "T_X" WHERE ("FNewBillType" = ?1) LIMIT ?2)"},
      {u"Update T set FSel=1 where FBillID=12and FPreParerID=3",
       R"(UPDATE "T" SET "FSel" = ?1 WHERE (("FBillID" = ?2) AND ("FPreParerID" = ?3)))"},
      {u"select a.*, b.x y, 'a'+'b', 1+2, f+1 from dbo.T a, #t b",
       R"(SELECT "a".*, "b"."x" AS "y", (?1 || ?2) AS "", tsql_fit((?3 + ?4), 'int') AS "", tsql_add("f", ?5) AS "" FROM "T" AS "a", "#t" AS "b")"},
      {u"select top 2 a from t union all select top 1 b from u order by 1",
       R"(SELECT * FROM (SELECT "a" FROM "t" LIMIT ?1) UNION ALL SELECT * FROM (SELECT "b" FROM "u" LIMIT ?2) ORDER BY 1)"},
      {u"select x from t where isnull(s, '') = '' and n in (1, 2) and u like 'a%'",
       R"(SELECT "x" FROM "t" WHERE (((ifnull("s", ?1) = ?2 COLLATE TSQL) AND ("n" IN (?3, ?4))) AND (tsql_like("u", ?5))))"},
      {u"delete T_ExcelPrintExport Where FPreparerID=7 And FBillId=-1",
       R"(DELETE FROM "T_ExcelPrintExport" WHERE (("FPreparerID" = ?1) AND ("FBillId" = (-?2))))"},
      {u"create table #s(FID int identity ,FValue int)",
       R"(CREATE TEMP TABLE "#s" ("FID" INTEGER PRIMARY KEY AUTOINCREMENT, "FValue" int))"},
      // A change through a common table expression reaches its table by the keys of its rows.
      {u"with c as (select a as x from t where b > 0) update c set x = 1",
       R"(WITH "c" AS (SELECT "a" AS "x" FROM "t" WHERE ("b" > ?1)), "c$rows" ("x", "tsql$rowid") AS (SELECT "a" AS "x", "t".rowid FROM "t" WHERE ("b" > ?2)) UPDATE "t" SET "a" = "tsql$from"."tsql$0" FROM (SELECT "c"."tsql$rowid" AS "tsql$rowid", ?3 AS "tsql$0" FROM "c$rows" AS "c") AS "tsql$from" WHERE "t".rowid = "tsql$from"."tsql$rowid")"},
      {u"with c as (select a, b from t) delete from c where b = 2",
       R"(WITH "c" AS (SELECT "a", "b" FROM "t"), "c$rows" ("a", "b", "tsql$rowid") AS (SELECT "a", "b", "t".rowid FROM "t") DELETE FROM "t" WHERE rowid IN (SELECT "c"."tsql$rowid" FROM "c$rows" AS "c" WHERE ("b" = ?1)))"},
  };
  for (const Case& c : cases) {
    const auto program = tsql::TranslateUncached(c.tsql, nullptr);
    EXPECT_EQ(Only(*program).sql, c.sqlite) << oleaut::ToUtf8(c.tsql);
  }
}

TEST(Generator, NumbersMarkersAcrossTheBatch) {
  const auto program = tsql::TranslateUncached(
      u"insert into t values (?, 1) update t set a = ? where b = ?", nullptr);
  ASSERT_EQ(program->nodes.size(), 2u);
  EXPECT_EQ(program->marker_count, 3);
  const auto& insert = std::get<tsql::SqlStatement>(program->nodes[0].item);
  const auto& update = std::get<tsql::SqlStatement>(program->nodes[1].item);
  EXPECT_EQ(insert.sql, R"(INSERT INTO "t" VALUES (?1, ?2))");
  EXPECT_EQ(update.sql, R"(UPDATE "t" SET "a" = ?1 WHERE ("b" = ?2))");
  using M = tsql::BoundMarker;
  EXPECT_EQ(insert.markers, std::vector<M>({{M::From::kParameter, 0}, {M::From::kLiteral, 0}}));
  EXPECT_EQ(update.markers, std::vector<M>({{M::From::kParameter, 1}, {M::From::kParameter, 2}}));
  EXPECT_EQ(update.source, u"update t set a = ? where b = ?");
}

TEST(Generator, BuildsIfBlocksAndTypeHints) {
  const auto program = tsql::TranslateUncached(
      u"IF NOT EXISTS (select 1 from t) BEGIN insert into t values (1) insert into t values (2) "
      u"END ELSE select cast(0 as decimal(28,14)) AS FQty, 'x' n",
      nullptr);
  ASSERT_EQ(program->nodes.size(), 1u);
  const auto& branch = *std::get<std::unique_ptr<tsql::IfNode>>(program->nodes[0].item);
  EXPECT_EQ(branch.condition.sql,
            R"(SELECT CASE WHEN (NOT (EXISTS (SELECT ?1 AS "" FROM "t"))) THEN 1 ELSE 0 END)");
  EXPECT_EQ(branch.then_nodes.size(), 2u);
  ASSERT_EQ(branch.else_nodes.size(), 1u);
  const auto& query = std::get<tsql::SqlStatement>(branch.else_nodes[0].item);
  ASSERT_EQ(query.columns.size(), 2u);
  EXPECT_EQ(query.columns[0].name, u"FQty");
  EXPECT_EQ(query.columns[0].type, "decimal(28,14)");
  EXPECT_EQ(query.columns[1].type, "varchar(1)");
}

TEST(Translate, CachesByBatchText) {
  const std::u16string batch = u"select FName from T_Cache where FId = 12";
  const auto first = tsql::Translate(batch, nullptr).program;
  const auto second = tsql::Translate(std::u16string(batch), nullptr).program;
  EXPECT_EQ(first.get(), second.get());
  EXPECT_NE(tsql::TranslateUncached(batch, nullptr).get(), first.get());
}

// Tables as a test declares them; counts what the translator asks.
class FakeSchema : public tsql::Schema {
 public:
  std::map<std::u16string, tsql::TableColumns> tables;
  std::vector<std::u16string> asked;

  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override {
    asked.emplace_back(name);
    const auto found = tables.find(tsql::LowerAscii(name));
    if (found == tables.end()) return nullptr;
    return std::make_shared<const tsql::TableColumns>(found->second);
  }
};

std::string SqlOf(const tsql::Program& program, std::size_t node) {
  return std::get<tsql::SqlStatement>(program.nodes.at(node).item).sql;
}

TEST(Translate, TypesColumnsFromTheSchemaAndTranslatesAgainWhenItChanges) {
  FakeSchema schema;
  schema.tables[u"t_typed"] = {{u"FCode", tsql::SqlType::Varchar(10)},
                               {u"FQty", tsql::SqlType::Decimal(28, 10)}};
  const std::u16string batch =
      u"select convert(varchar, q.FQty), FQty * 2 from T_Typed q where q.fcode = 57";
  const auto first = tsql::Translate(batch, &schema).program;
  EXPECT_EQ(
      SqlOf(*first, 0),
      R"(SELECT tsql_convert('varchar(30)', tsql_convert('decimal(28,10)', "q"."FQty")) AS "", ("FQty" * ?1) AS "" FROM "T_Typed" AS "q" WHERE (tsql_convert('int', "q"."fcode") = ?2))");
  EXPECT_EQ(std::get<tsql::SqlStatement>(first->nodes[0].item).columns[1].type, "decimal(38,9)");
  EXPECT_EQ(tsql::Translate(batch, &schema).program.get(), first.get());

  schema.tables[u"t_typed"][1].type = tsql::SqlType::Decimal(10, 2);
  const auto second = tsql::Translate(batch, &schema).program;
  EXPECT_NE(second.get(), first.get());
  EXPECT_THAT(SqlOf(*second, 0), HasSubstr("tsql_convert('decimal(10,2)', \"q\".\"FQty\")"));

  // A table the batch makes is known from its own text; the database is not asked for it.
  schema.asked.clear();
  const auto own = tsql::TranslateUncached(
      u"create table #n (v decimal(5,2)) select v into #m from #n select convert(varchar, v) from "
      u"#m",
      &schema);
  EXPECT_THAT(SqlOf(*own, own->nodes.size() - 1), HasSubstr("tsql_convert('decimal(5,2)', \"v\")"));
  EXPECT_TRUE(schema.asked.empty());
}

TEST(Translate, ErrorsSayWhereAndWhat) {
  const auto message = [](std::u16string_view batch) {
    const oleaut::ComError e = tavtest::ErrorOf([&] { tsql::TranslateUncached(batch, nullptr); });
    EXPECT_EQ(static_cast<std::uint32_t>(e.Number()), 0x80040E14U);
    return std::string(e.what());
  };
  EXPECT_THAT(message(u"select a\r\nfrom t\r\nwhere a = = 1"),
              HasSubstr("Incorrect syntax near '= 1' (line 3, column 11): expected an expression"));
  EXPECT_THAT(message(u"select a from t\n  cross apply f(a)"),
              HasSubstr("A table-valued function is not supported by the SQLite provider (line 2, "
                        "column 16"));
  EXPECT_THAT(message(u"select ((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
                      u"((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
                      u"((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((("
                      u"((((((((((((((((((((((((1"),
              HasSubstr("nested too deeply"));
  std::u16string chain = u"select 1";
  for (int i = 0; i < 6000; ++i)
    chain += u"^1";
  EXPECT_THAT(message(chain), HasSubstr("too many operators"));
}

}  // namespace
