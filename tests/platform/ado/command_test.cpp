#include "platform/ado/command.h"

#include <gtest/gtest.h>

#include "ado_fixture.h"
#include "platform/oleaut/date.h"

namespace ado::testing {
namespace {

class CommandTest : public AdoTest {
 protected:
  CommandTest() : command_(com::Make<Command>()) {
    Run(u"CREATE TABLE t_note (FID int NOT NULL, FName varchar(20) NULL, "
        u"FCreateDate datetime NULL, FData image NULL, FSel bit NULL, FRate float NULL, "
        u"FAmount decimal(28,10) NULL, FCount smallint NULL)");
    command_->SetActiveConnection(connection_);
  }

  com::Ptr<Parameter> Add(std::int32_t type, std::int32_t size, const oleaut::Variant& value) {
    auto parameter = command_->CreateParameter({}, type, adParamInput, size, value);
    command_->Parameters()->Append(parameter);
    return parameter;
  }
  com::Ptr<Recordset> Select(std::u16string_view columns) {
    return connection_->Execute(u"SELECT " + std::u16string(columns) + u" FROM t_note");
  }

  com::Ptr<Command> command_;
};

TEST_F(CommandTest, BindsEachTypeToItsMarkerAndReadsItBack) {
  const oleaut::Date created = oleaut::Date::FromFields({2024, 2, 29, 13, 45, 10, 0});
  const oleaut::ByteArray body{0, 1, 2, 255, 0, 7};
  command_->SetCommandText(
      u"INSERT INTO t_note (FID, FName, FCreateDate, FData, FSel, FRate, FAmount, FCount) "
      u"VALUES (?,?,?,?,?,?,?,?)");
  Add(adInteger, 0, oleaut::Variant(u"42"));  // numeric text converts, as ADO does
  Add(adVarChar, 20, oleaut::Variant(u"模板一"));
  Add(adDate, 0, created);
  Add(adLongVarBinary, static_cast<std::int32_t>(body.size()), body);
  Add(adBoolean, 0, true);
  Add(adDouble, 0, 0.25);
  Add(adNumeric, 0, *oleaut::Decimal::Parse(u"1234.5600000001"));
  Add(adSmallInt, 0, std::int16_t{-7});
  std::int32_t affected = 0;
  EXPECT_EQ(command_->Execute(&affected)->State(), adStateClosed);
  EXPECT_EQ(affected, 1);
  EXPECT_EQ(command_->Parameters()->Item(3)->Value(), oleaut::Variant(body))
      << "the value is still there after the run";

  auto rs = Select(u"FID, FName, FCreateDate, FData, FSel, FRate, FAmount, FCount");
  const oleaut::Variant expected[] = {42,
                                      u"模板一",
                                      created,
                                      body,
                                      true,
                                      0.25,
                                      *oleaut::Decimal::Parse(u"1234.5600000001"),
                                      std::int16_t{-7}};
  for (std::int32_t i = 0; i < 8; ++i) {
    EXPECT_EQ(rs->Fields()->Item(i)->Value(), expected[i]) << "column " << i;
  }
}

TEST_F(CommandTest, ValuesSetThroughItemAfterAppendAndReplacedPerRun) {
  command_->SetCommandText(u"INSERT INTO t_note (FID, FName) VALUES (?, ?)");
  command_->Parameters()->Append(command_->CreateParameter({}, adInteger, adParamInput, 4));
  command_->Parameters()->Append(command_->CreateParameter(u"Name", adVarWChar, adParamInput, 20));
  command_->Parameters()->Item(0)->SetValue(1);
  command_->Parameters()->Item(u"name")->SetValue(oleaut::Variant(u"first"));
  command_->Execute();
  const oleaut::Variant again[] = {2, oleaut::kMissing};
  command_->Execute(nullptr, again);
  EXPECT_EQ(command_->Parameters()->Item(0)->Value(), oleaut::Variant(1));

  auto rs = connection_->Execute(u"SELECT FID, FName FROM t_note ORDER BY FID");
  ASSERT_EQ(rs->RecordCount(), 2);
  rs->MoveLast();
  EXPECT_EQ(rs->Fields()->Item(0)->Value(), oleaut::Variant(2));
  EXPECT_EQ(rs->Fields()->Item(1)->Value(), oleaut::Variant(u"first"));
  ExpectAdoError([&] { command_->Parameters()->Item(2); }, kAdoItemNotFound, u"ADODB.Parameters");
}

TEST_F(CommandTest, TextLongerThanItsParameterRaisesInsteadOfBeingCut) {
  command_->SetCommandText(u"INSERT INTO t_note (FID, FName) VALUES (1, ?)");
  auto name = command_->CreateParameter(u"FName", adVarChar, adParamInput, 20,
                                        oleaut::Variant(std::u16string(21, u'x')));
  command_->Parameters()->Append(name);
  ExpectAdoError([&] { command_->Execute(); }, kAdoWrongArguments, u"ADODB.Parameter",
                 {u"'FName'", u"position 0", u"size 20", u"21 characters"});
  EXPECT_EQ(Select(u"FID")->RecordCount(), 0);
  name->SetValue(oleaut::Variant(std::u16string(20, u'x')));
  command_->Execute();
  EXPECT_EQ(Select(u"FID")->RecordCount(), 1);

  command_->SetCommandText(u"UPDATE t_note SET FData = ?");
  command_->Parameters()->Delete(0);
  Add(adLongVarBinary, 3, oleaut::ByteArray(4));
  ExpectAdoError([&] { command_->Execute(); }, kAdoWrongArguments, u"ADODB.Parameter",
                 {u"size 3", u"4 bytes"});
}

TEST_F(CommandTest, BadDefinitionsAndUnconvertibleValuesRaise) {
  ExpectAdoError([&] { Add(adInteger, 0, oleaut::Variant(u"abc")); }, kAdoDataConversion,
                 u"ADODB.Parameter", {u"adInteger", u"String"});
  ExpectAdoError([&] { Add(adSmallInt, 0, 40000); }, kAdoDataConversion, u"ADODB.Parameter");
  ExpectAdoError([&] { Add(adLongVarBinary, 10, oleaut::Variant(u"text")); }, kAdoDataConversion,
                 u"ADODB.Parameter");
  ExpectAdoError([&] { Add(adVarChar, 0, oleaut::Variant(u"a")); }, kAdoParameterImproperlyDefined,
                 u"ADODB.Parameter", {u"needs a size"});
  ExpectAdoError([&] { command_->CreateParameter({}, 9999); }, kAdoWrongArguments,
                 u"ADODB.Parameter");
  EXPECT_EQ(command_->Parameters()->Count(), 0);

  auto date = Add(adDate, 0, oleaut::kNull);
  EXPECT_TRUE(date->Value().IsNull());
  ExpectAdoError([&] { date->SetValue(oleaut::Variant(u"not a date")); }, kAdoDataConversion,
                 u"ADODB.Parameter");
  ExpectAdoError([&] { command_->Parameters()->Append(date); }, kAdoWrongArguments,
                 u"ADODB.Parameters");
}

TEST_F(CommandTest, ExecuteNeedsAnOpenConnectionAndText) {
  auto command = com::Make<Command>();
  command->SetCommandText(u"SELECT 1");
  ExpectAdoError([&] { command->Execute(); }, kAdoInvalidConnection, u"ADODB.Command");
  command->SetActiveConnection(connection_);
  command->SetCommandText({});
  for (const auto& call : {std::function<void()>([&] { command->Execute(); }),
                           std::function<void()>([&] { connection_->Execute(u""); })}) {
    const oleaut::ComError error = tavtest::ErrorOf(call);
    EXPECT_EQ(static_cast<std::uint32_t>(error.Number()), 0x80040E0CU) << error.what();
  }
  command_->SetCommandText(u"SELECT FID FROM t_note WHERE FID = ?");
  Add(adInteger, 0, 5);
  auto rs = command_->Execute();
  EXPECT_EQ(rs->State(), adStateOpen);
  EXPECT_TRUE(rs->Eof());
  connection_->Close();
  ExpectAdoError([&] { command_->Execute(); }, kAdoInvalidConnection, u"ADODB.Command");
}

}  // namespace
}  // namespace ado::testing
