#include "store_fixture.h"

#include <sqlite3.h>

#include <atomic>
#include <fstream>
#include <iomanip>

#include "odbc_driver.h"
#include "platform/ado/command.h"
#include "platform/ado/recordset.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"
#include "platform/tavglobal/database_files.h"

namespace templates_test {

namespace {

// The thread's context keeps every data source it has bound by name, so each test's names are
// new ones.
std::string NextSuffix() {
  static std::atomic<int> next{0};
  return std::to_string(++next);
}

}  // namespace

StoreTest::StoreTest()
    : catalog_env_("TAV_CATALOG", (dir_ / "catalog.toml").string()),
      db_(dir_ / "store.db"),
      suffix_(NextSuffix()) {
  tavglobal::CreateDatabase(db_, /*with_demo_data=*/false);
  // TAV_TEST_PROVIDER=odbc runs the store through the ODBC provider over the SQLite driver.
  const std::string connection = tavtest::TestConnectionString(db_);
  raw_ = com::Make<ado::Connection>();
  raw_->Open(oleaut::FromUtf8(connection));
  std::ofstream catalog(dir_ / "catalog.toml");
  for (const auto& [user, name] :
       {std::pair{kAdmin, "Manager"}, std::pair{kZhang, "张伟"}, std::pair{kLi, "李娜"},
        std::pair{kLong, "一二三四五六七八九十甲乙丙丁戊己庚辛壬癸子"}}) {
    catalog << "[sources.u" << user << "-" << suffix_ << "]\nconnection = \"" << connection
            << "\"\nuser_id = " << user << "\nuser_name = \"" << name << "\"\n";
    Exec(u"INSERT INTO t_User (FUserID, FName) VALUES (" + oleaut::ToString(user) + u", N'" +
         oleaut::FromUtf8(name) + u"')");
  }
  catalog.close();
}

bool TextKeepsNul(std::u16string_view text) {
  return !tavtest::TestsUseOdbc() || text.find(u'\0') == std::u16string_view::npos;
}

Bstr StoreTest::Dsn(std::int16_t user) const {
  return oleaut::FromUtf8("u" + std::to_string(user) + "-" + suffix_);
}

void StoreTest::Exec(std::u16string_view sql) const {
  raw_->Execute(sql);
}

std::vector<Row> StoreTest::Rows(std::u16string_view sql) const {
  return RowsOf(*raw_, sql);
}

std::vector<Row> StoreTest::RowsOf(ado::Connection& connection, std::u16string_view sql) {
  std::vector<Row> rows;
  auto rs = connection.Execute(sql);
  for (; !rs->Eof(); rs->MoveNext()) {
    Row row;
    const auto fields = rs->Fields();
    for (std::int32_t i = 0; i < fields->Count(); ++i)
      row.push_back(fields->Item(i)->Value());
    rows.push_back(std::move(row));
  }
  return rows;
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

}  // namespace

std::int32_t StoreTest::AddBillBody(std::u16string_view name, std::int32_t type,
                                    std::u16string_view creator,
                                    const oleaut::ByteArray& blob) const {
  return AddBody(*raw_, u"T_ExcelPrintExportNote", u"FNewBillType", name, type, creator, blob);
}

std::int32_t StoreTest::AddReportBody(std::u16string_view name, std::int32_t rpt,
                                      std::u16string_view creator,
                                      const oleaut::ByteArray& blob) const {
  return AddBody(*raw_, u"T_RptExcelPrintExportNote", u"FNewRptId", name, rpt, creator, blob);
}

void StoreTest::AddBillRow(std::int32_t type, std::int32_t bill_id, std::int16_t user,
                           std::u16string_view name, std::optional<std::u16string> sub, int sel,
                           std::optional<std::u16string> data) const {
  Exec(
      u"INSERT INTO T_ExcelPrintExport (FBillType,FBillId,FPreparerId,FDate,FName,FData,"
      u"FBillTypeSub,FSel) VALUES (" +
      oleaut::ToString(type) + u"," + oleaut::ToString(bill_id) + u"," + oleaut::ToString(user) +
      u",'2024-01-02'," + TextOrNull(std::u16string(name)) + u"," + TextOrNull(data) + u"," +
      TextOrNull(sub) + u"," + oleaut::ToString(sel) + u")");
}

void StoreTest::AddReportRow(std::int32_t rpt, std::int32_t note_id, std::int16_t user,
                             std::u16string_view name, int sel,
                             std::optional<std::u16string> data) const {
  Exec(
      u"INSERT INTO T_RptExcelPrintExport (FRptId,FNoteId,FPreparerId,FDate,FName,FData,FSel) "
      u"VALUES (" +
      oleaut::ToString(rpt) + u"," + oleaut::ToString(note_id) + u"," + oleaut::ToString(user) +
      u",'2024-01-02'," + TextOrNull(std::u16string(name)) + u"," + TextOrNull(data) + u"," +
      oleaut::ToString(sel) + u")");
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

void StoreTest::ExecNative(const char* sql) const {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(db_.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

com::Ptr<vdl::Dictionary> AsDict(const Variant& value) {
  return value.AsObjectOf<vdl::Dictionary>();
}

com::Ptr<vdl::List> AsList(const Variant& value) {
  return value.AsObjectOf<vdl::List>();
}

oleaut::ByteArray Bytes(std::string_view text) {
  return oleaut::ByteArray(text.begin(), text.end());
}

}  // namespace templates_test

namespace oleaut {

void PrintTo(const Variant& value, std::ostream* out) {
  *out << ToUtf8(VarTypeName(value.Type()));
  if (value.IsEmpty() || value.IsNull() || value.IsMissing()) return;
  if (value.Type() == VarType::ByteArray) {
    const ByteArray& bytes = value.AsByteArray();
    *out << "[" << bytes.size() << "]" << std::hex;
    for (std::size_t i = 0; i < bytes.size() && i < 32; ++i) {
      *out << " " << std::setw(2) << std::setfill('0') << int{bytes[i]};
    }
    *out << std::dec;
    return;
  }
  if (value.IsObject()) return;
  *out << "(" << ToUtf8(ToString(value)) << ")";
}

}  // namespace oleaut
