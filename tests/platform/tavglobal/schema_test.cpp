// The built-in database scripts: how they split into statements, and that they create and seed
// an empty database through the SQLite provider.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ado/provider.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/date.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"
#include "platform/tavglobal/schema/schema_scripts.h"
#include "temp_dir.h"

namespace {

using tavglobal::SplitStatements;

struct SplitCase {
  std::string_view name;
  std::string_view script;
  std::vector<std::string_view> statements;
};

class SplitStatementsTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitStatementsTest, SplitsAtTerminatingSemicolons) {
  const SplitCase& c = GetParam();
  const std::vector<std::string_view> got = SplitStatements(c.script);
  EXPECT_EQ(got, c.statements);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitStatementsTest,
    testing::Values(
        SplitCase{"Empty", "", {}},
        SplitCase{"OnlyBlanksAndComments", "  -- a; b;\n/* c; */\n\n", {}},
        SplitCase{"TwoStatements", "SELECT 1;\nSELECT 2;\n", {"SELECT 1", "SELECT 2"}},
        SplitCase{"LastWithoutSemicolon", "SELECT 1;\n  SELECT 2  \n", {"SELECT 1", "SELECT 2"}},
        SplitCase{"LeadingCommentsDropped",
                  "-- users;\nINSERT INTO t VALUES (1);",
                  {"INSERT INTO t VALUES (1)"}},
        SplitCase{"SemicolonInString",
                  "INSERT INTO t VALUES ('a;b', N'c;\n');X;",
                  {"INSERT INTO t VALUES ('a;b', N'c;\n')", "X"}},
        SplitCase{"DoubledApostrophe", "SELECT 'it''s;';Y", {"SELECT 'it''s;'", "Y"}},
        SplitCase{"BracketAndQuotedNames",
                  "SELECT [a;]]b], \"c;d\" FROM t;",
                  {"SELECT [a;]]b], \"c;d\" FROM t"}},
        SplitCase{"CommentInsideStatementKept",
                  "SELECT 1 -- one;\n, 2 /* two; */ ;",
                  {"SELECT 1 -- one;\n, 2"}},
        SplitCase{"EmptyStatements", ";;SELECT 1;;", {"SELECT 1"}},
        SplitCase{"UnterminatedStringRunsToEnd", "SELECT 'a;b", {"SELECT 'a;b"}}),
    [](const testing::TestParamInfo<SplitCase>& param_info) {
      return std::string(param_info.param.name);
    });

TEST(SchemaScriptsTest, EveryStatementIsOneCreateOrInsert) {
  const std::vector<std::string_view> schema = SplitStatements(tavglobal::SchemaScript());
  ASSERT_FALSE(schema.empty());
  for (std::string_view statement : schema) {
    EXPECT_TRUE(statement.starts_with("CREATE TABLE ") || statement.starts_with("CREATE INDEX "))
        << statement;
  }
  const std::vector<std::string_view> data = SplitStatements(tavglobal::DemoDataScript());
  ASSERT_FALSE(data.empty());
  for (std::string_view statement : data) {
    EXPECT_TRUE(statement.starts_with("INSERT INTO ")) << statement;
    EXPECT_EQ(statement.find("INSERT INTO ", 1), std::string_view::npos) << statement;
  }
}

// A fresh database file with the schema and the demo data, made as the demo data source makes it.
class DemoDatabaseTest : public testing::Test {
 protected:
  void SetUp() override {
    tavglobal::CreateDatabase(dir_ / "demo.db", /*with_demo_data=*/true);
    provider_ = ado::OpenProvider(tavglobal::SqliteConnectionString(dir_ / "demo.db"));
  }

  // The single value of a one-row, one-column query, as a Long.
  std::int32_t Scalar(std::u16string_view sql) {
    const ado::ExecuteResult result = provider_->Execute(sql, {});
    if (!result.rows || result.rows->RowCount() != 1 || result.rows->columns.size() != 1) {
      ADD_FAILURE() << "not one value: " << oleaut::ToUtf8(sql);
      return -1;
    }
    return oleaut::ToLong(result.rows->values.front());
  }

  tavtest::TempDir dir_;
  std::unique_ptr<ado::Provider> provider_;
};

TEST_F(DemoDatabaseTest, HoldsTheDocumentedUsersAndBillTypes) {
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM t_User"), 3);
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM t_User WHERE FUserID=16394 AND FName='Manager'"), 1);
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM ICTransactionType WHERE FID IN (1,21,71)"), 3);
  EXPECT_EQ(Scalar(u"select count(*) from t_systemprofile where FCategory='IC' and "
                   u"fkey ='IndustryVersion'"),
            1);
}

TEST_F(DemoDatabaseTest, EveryBillTypeHasItsTemplateAndBills) {
  // Head controls and entry columns exist for each bill type's template, and every lookup
  // control names a lookup class that exists.
  for (const auto& [type, bills] : {std::pair{1, 3}, {21, 3}, {71, 2}}) {
    const std::u16string id = oleaut::FromUtf8(std::to_string(type));
    SCOPED_TRACE(type);
    EXPECT_GT(Scalar(u"SELECT count(*) FROM ICTemplate a, ICTransactionType b "
                     u"WHERE a.FID=b.FTemplateID AND a.FCtlIndex>=0 AND b.FID=" +
                     id),
              5);
    EXPECT_GT(Scalar(u"SELECT count(*) FROM ICTemplateEntry a, ICTransactionType b "
                     u"WHERE a.FID=b.FTemplateID AND a.FCtlOrder>0 AND b.FID=" +
                     id),
              5);
    EXPECT_EQ(Scalar(u"SELECT count(*) FROM ICStockBill WHERE FTranType=" + id) +
                  Scalar(u"SELECT count(*) FROM POOrder WHERE FTranType=" + id),
              bills);
  }
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM ICTemplate a LEFT JOIN ICLookUpClass c "
                   u"ON a.FLookUpCls=c.FLookUpCls WHERE a.FLookUpCls<>0 AND c.FLookUpCls IS NULL"),
            0);
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM ICStockBillEntry e LEFT JOIN t_ICItem i "
                   u"ON e.FItemID=i.FItemID WHERE i.FItemID IS NULL"),
            0);
}

TEST_F(DemoDatabaseTest, AdministratorSelectsATemplateOfEachBillType) {
  // The print lookup's administrator step, for two bill types and a report.
  for (int type : {1, 21, 71}) {
    SCOPED_TRACE(type);
    EXPECT_GE(
        Scalar(u"Select count(*) From T_ExcelPrintExport i inner Join "
               u"T_ExcelPrintExportNote c  On i.FbillId=c.FId  Where i.FBillType=" +
               oleaut::FromUtf8(std::to_string(type)) + u" And i.FSel=1 and FPreparerId=16394"),
        1);
  }
  EXPECT_EQ(Scalar(u"Select count(*) From T_RptExcelPrintExport i inner Join "
                   u"T_RptExcelPrintExportNote c  On i.FNoteId=c.FId  Where i.FRptId=1001 "
                   u"And i.FSel=1 and FPreparerId=16394"),
            1);
  // 李娜 has nothing of her own, so her first template list copies the administrator's.
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM T_ExcelPrintExport WHERE FPreparerId=16396"), 0);
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM T_ExcelPrintExport WHERE FBillType=0 AND FBillId=0 "
                   u"AND FName='SaveByUser'"),
            1);
}

TEST_F(DemoDatabaseTest, LookupDataFitsTheGeneratedStatements) {
  // A status control of lookup class 241 joins the code that the state maps to: 0 gives ZT1,
  // 3 gives ZT3, 5 gives ZT4.
  provider_->Execute(
      u"SELECT ICStockBill.FInterID, t006.FName as  FStatusName INTO #tmpBillHeadPrint "
      u"FROM ICStockBill left join t_SubMessage  t006 on 'ZT'+convert(varchar,(CASE "
      u"ICStockBill.FStatus when 0 then 1 when 3 then 3 when 5 then 4 else 1 END))= t006.FID "
      u"WHERE ICStockBill.FInterID IN (2001,2002,2003)",
      {});
  const ado::ExecuteResult heads =
      provider_->Execute(u"SELECT FStatusName FROM #tmpBillHeadPrint ORDER BY FInterID", {});
  ASSERT_TRUE(heads.rows);
  std::vector<std::u16string> names;
  for (const oleaut::Variant& name : heads.rows->values)
    names.push_back(oleaut::ToString(name));
  EXPECT_EQ(names, (std::vector<std::u16string>{u"已审核", u"未审核", u"已关闭"}));

  // The entry read joins printable bar codes by item: more than one per item would repeat lines.
  EXPECT_EQ(Scalar(u"SELECT count(*) FROM (SELECT FItemID FROM t_BarCode WHERE FIsPrint=1 "
                   u"GROUP BY FItemID HAVING count(*)>1) x"),
            0);
}

TEST_F(DemoDatabaseTest, DatesCompareWithDatesTheComponentWrites) {
  // Written dates go in as parameters; the demo dates must be stored in the same form for the
  // two to compare equal.
  const std::optional<oleaut::Date> june3 = oleaut::Date::ParseIso(u"2024-06-03");
  ASSERT_TRUE(june3);
  const ado::ParameterValue date{ado::adDate, ado::adParamInput, 0, oleaut::Variant(*june3)};
  const ado::ExecuteResult result =
      provider_->Execute(u"SELECT FBillNo FROM ICStockBill WHERE FDate=?", {&date, 1});
  ASSERT_TRUE(result.rows);
  ASSERT_EQ(result.rows->RowCount(), 1u);
  EXPECT_EQ(oleaut::ToString(result.rows->values.front()), u"WIN000001");
}

TEST_F(DemoDatabaseTest, BinaryLiteralsArriveAsBytes) {
  const ado::ExecuteResult result =
      provider_->Execute(u"SELECT FData FROM T_ExcelPrintExportNote WHERE FId=1", {});
  ASSERT_TRUE(result.rows);
  ASSERT_EQ(result.rows->RowCount(), 1u);
  const oleaut::Variant& body = result.rows->values.front();
  ASSERT_EQ(body.Type(), oleaut::VarType::ByteArray);
  const oleaut::ByteArray& bytes = body.AsByteArray();
  ASSERT_EQ(bytes.size(), 40u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "TAVPRT01");
}

}  // namespace
