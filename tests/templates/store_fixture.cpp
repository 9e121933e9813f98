#include "store_fixture.h"

#include "odbc_driver.h"
#include "platform/ado/command.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace templates_test {

StoreTest::StoreTest()
    : DatabaseTest("store.db", /*with_demo_data=*/false, Provider::kOfTheTestRun) {
  // TAV_TEST_PROVIDER=odbc runs the store through the ODBC provider over the SQLite driver.
  for (const auto& [user, name] :
       {std::pair{kAdmin, "Manager"}, std::pair{kZhang, "张伟"}, std::pair{kLi, "李娜"},
        std::pair{kLong, "一二三四五六七八九十甲乙丙丁戊己庚辛壬癸子"}}) {
    AddSource("u" + std::to_string(user),
              "user_id = " + std::to_string(user) + "\nuser_name = \"" + name + "\"\n");
    Exec(u"INSERT INTO t_User (FUserID, FName) VALUES (" + oleaut::ToString(user) + u", N'" +
         oleaut::FromUtf8(name) + u"')");
  }
}

bool TextKeepsNul(std::u16string_view text) {
  return !tavtest::TestsUseOdbc() || text.find(u'\0') == std::u16string_view::npos;
}

std::int32_t StoreTest::Count(std::u16string_view sql) const {
  return oleaut::ToLong(Rows(sql).at(0).at(0));
}

namespace {

std::int32_t AddBody(ado::Connection& raw, std::u16string_view table,
                     std::u16string_view type_column, std::u16string_view name, std::int32_t type,
                     std::u16string_view creator, const oleaut::ByteArray& blob) {
  auto command = com::Make<ado::Command>();
  command->SetActiveConnection(com::Ptr<ado::Connection>(&raw));
  command->SetCommandText(u"INSERT INTO " + Bstr(table) + u" (FName,FScreenId,FCreatorName," +
                          Bstr(type_column) +
                          u",FCreateDate,FModifyDate,FData) VALUES (?,?,?,?,'2024-01-02',"
                          u"'2024-01-02',?)");
  const Bstr type_text = oleaut::ToString(type);
  for (const Variant& value :
       {Variant(Bstr(name)), Variant(type_text), Variant(Bstr(creator)), Variant(type_text)}) {
    command->Parameters()->Append(
        command->CreateParameter({}, ado::adVarWChar, ado::adParamInput, 255, value));
  }
  command->Parameters()->Append(
      command->CreateParameter({}, ado::adLongVarBinary, ado::adParamInput, 2147483647, blob));
  command->Execute();
  auto id = raw.Execute(u"select @@IDENTITY");
  return oleaut::ToLong(id->Fields()->Item(0)->Value());
}

Bstr TextOrNull(const std::optional<std::u16string>& text) {
  if (!text) return u"NULL";
  return u"N'" + oleaut::Replace(*text, u"'", u"''") + u"'";
}

// The values an assignment row of either table starts with, up to its data text.
Bstr RowValues(std::int32_t type, std::int32_t id, std::int16_t user, std::u16string_view name,
               const std::optional<std::u16string>& data) {
  return oleaut::ToString(type) + u"," + oleaut::ToString(id) + u"," + oleaut::ToString(user) +
         u",'2024-01-02'," + TextOrNull(std::u16string(name)) + u"," + TextOrNull(data) + u",";
}

}  // namespace

std::int32_t StoreTest::AddBillBody(std::u16string_view name, std::int32_t type,
                                    std::u16string_view creator,
                                    const oleaut::ByteArray& blob) const {
  return AddBody(*RawConnection(), u"T_ExcelPrintExportNote", u"FNewBillType", name, type, creator,
                 blob);
}

std::int32_t StoreTest::AddReportBody(std::u16string_view name, std::int32_t rpt,
                                      std::u16string_view creator,
                                      const oleaut::ByteArray& blob) const {
  return AddBody(*RawConnection(), u"T_RptExcelPrintExportNote", u"FNewRptId", name, rpt, creator,
                 blob);
}

void StoreTest::AddBillRow(std::int32_t type, std::int32_t bill_id, std::int16_t user,
                           std::u16string_view name, std::optional<std::u16string> sub, int sel,
                           std::optional<std::u16string> data) const {
  Exec(
      u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,"
      u"FBillTypeSub,FSel) VALUES (" +
      RowValues(type, bill_id, user, name, data) + TextOrNull(sub) + u"," + oleaut::ToString(sel) +
      u")");
}

void StoreTest::AddReportRow(std::int32_t rpt, std::int32_t note_id, std::int16_t user,
                             std::u16string_view name, int sel,
                             std::optional<std::u16string> data) const {
  Exec(
      u"INSERT INTO T_RptExcelPrintExport (FRptId,FNoteId,FPreparerId,FDate,FName,FData,FSel) "
      u"VALUES (" +
      RowValues(rpt, note_id, user, name, data) + oleaut::ToString(sel) + u")");
}

std::vector<Row> StoreTest::SnapshotOf(ado::Connection& connection) {
  std::vector<Row> all;
  for (const char16_t* table : {u"T_ExcelPrintExportNote", u"T_RptExcelPrintExportNote",
                                u"T_ExcelPrintExport", u"T_RptExcelPrintExport"}) {
    for (Row& row : RowsOf(connection, u"SELECT * FROM " + Bstr(table) + u" ORDER BY FId")) {
      row.insert(row.begin(), Variant(table));
      all.push_back(std::move(row));
    }
  }
  return all;
}

}  // namespace templates_test
