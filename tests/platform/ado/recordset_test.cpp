#include "platform/ado/recordset.h"

#include <gtest/gtest.h>

#include <vector>

#include "ado_fixture.h"
#include "platform/ado/command.h"
#include "platform/oleaut/default_value.h"

namespace ado::testing {
namespace {

class RecordsetTest : public AdoTest {
 protected:
  RecordsetTest() {
    Run(u"CREATE TABLE t_item (FItemID int NOT NULL, FName varchar(80) NULL, FPhoto image NULL)");
    Run(u"INSERT INTO t_item (FItemID, FName) VALUES (1, 'bolt')");
    Run(u"INSERT INTO t_item (FItemID, FName) VALUES (2, 'nut')");
    Run(u"INSERT INTO t_item (FItemID, FName) VALUES (3, NULL)");
  }

  com::Ptr<Recordset> Items() {
    return connection_->Execute(u"SELECT FItemID, FName FROM t_item ORDER BY FItemID");
  }
  static std::int32_t Id(const com::Ptr<Recordset>& rs) {
    return rs->Fields()->Item(0)->Value().AsLong();
  }
};

TEST_F(RecordsetTest, MovesThroughRowsAndRaises3021PastEitherEnd) {
  auto rs = Items();
  EXPECT_EQ(rs->State(), adStateOpen);
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_FALSE(rs->Bof());
  std::vector<std::int32_t> seen;
  for (; !rs->Eof(); rs->MoveNext())
    seen.push_back(Id(rs));
  EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 2, 3}));
  ExpectAdoError([&] { rs->MoveNext(); }, kAdoBofOrEof, u"ADODB.Recordset", {u"EOF"});
  ExpectAdoError([&] { Id(rs); }, kAdoBofOrEof, u"ADODB.Field", {u"FItemID"});

  rs->MoveLast();
  EXPECT_EQ(Id(rs), 3);
  rs->MovePrevious();
  EXPECT_EQ(Id(rs), 2);
  rs->MoveFirst();
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_FALSE(rs->Eof());
  ExpectAdoError([&] { Id(rs); }, kAdoBofOrEof, u"ADODB.Field", {u"BOF"});
  ExpectAdoError([&] { rs->MovePrevious(); }, kAdoBofOrEof, u"ADODB.Recordset");
  rs->MoveNext();
  EXPECT_EQ(Id(rs), 1);
}

TEST_F(RecordsetTest, EmptyResultIsOpenWithBofAndEofAndReadableMetadata) {
  auto rs = connection_->Execute(u"SELECT FItemID, FName FROM t_item WHERE FItemID = 99");
  EXPECT_EQ(rs->State(), adStateOpen);
  EXPECT_TRUE(rs->Bof());
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(rs->Fields()->Count(), 2);
  EXPECT_EQ(rs->Fields()->Item(1)->Name(), u"FName");
  ExpectAdoError([&] { rs->MoveFirst(); }, kAdoBofOrEof, u"ADODB.Recordset");
  ExpectAdoError([&] { rs->MoveLast(); }, kAdoBofOrEof, u"ADODB.Recordset");
  ExpectAdoError([&] { rs->Fields()->Item(0)->Value(); }, kAdoBofOrEof, u"ADODB.Field");
}

TEST_F(RecordsetTest, ClosedRecordsetAndFieldsKeptFromItRaise3704) {
  auto rs = Items();
  auto field = rs->Fields()->Item(u"FName");
  rs->Close();
  EXPECT_EQ(rs->State(), adStateClosed);
  const std::function<void()> calls[] = {
      [&] { rs->Eof(); },     [&] { rs->MoveNext(); }, [&] { rs->RecordCount(); },
      [&] { rs->Fields(); },  [&] { rs->Close(); },    [&] { field->Value(); },
      [&] { field->Name(); },
  };
  for (const auto& call : calls) {
    const oleaut::ComError error = tavtest::ErrorOf(call);
    EXPECT_EQ(error.Number(), oleaut::VbHresult(kAdoObjectClosed)) << error.what();
  }
  // Reopened, it reads again; settings change only while closed.
  rs->SetCursorLocation(adUseClient);
  rs->Open(u"SELECT FName FROM t_item WHERE FItemID = 2", connection_);
  EXPECT_EQ(rs->CursorType(), adOpenStatic);
  EXPECT_EQ(rs->Fields()->Item(0)->Value(), oleaut::Variant(u"nut"));
  ExpectAdoError([&] { rs->SetLockType(adLockOptimistic); }, kAdoObjectOpen, u"ADODB.Recordset");
  ExpectAdoError([&] { rs->Open(u"SELECT 1", connection_); }, kAdoObjectOpen, u"ADODB.Recordset");
}

TEST_F(RecordsetTest, DetachedRecordsetOutlivesItsConnection) {
  com::Ptr<Recordset> rs = Items();
  EXPECT_EQ(rs->ActiveConnection(), connection_);
  rs->SetActiveConnection(nullptr);
  EXPECT_EQ(rs->ActiveConnection(), nullptr);
  connection_->Close();
  connection_.Reset();
  rs->MoveLast();
  EXPECT_TRUE(rs->Fields()->Item(u"fname")->Value().IsNull());
  rs->MoveFirst();
  EXPECT_EQ(rs->Fields()->Item(u"FNAME")->Value(), oleaut::Variant(u"bolt"));
}

TEST_F(RecordsetTest, OpenTakesAConnectionStringOrNeedsAnOpenConnection) {
  auto rs = com::Make<Recordset>();
  ExpectAdoError([&] { rs->Open(u"SELECT FName FROM t_item"); }, kAdoInvalidConnection,
                 u"ADODB.Recordset");
  rs->Open(u"SELECT FName FROM t_item", oleaut::Variant(ConnectionString()));
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_NE(rs->ActiveConnection(), connection_);

  auto closed = com::Make<Connection>();
  auto other = com::Make<Recordset>();
  ExpectAdoError([&] { other->Open(u"SELECT 1", closed); }, kAdoInvalidConnection,
                 u"ADODB.Recordset");
  ExpectAdoError([&] { closed->Execute(u"SELECT 1"); }, kAdoObjectClosed, u"ADODB.Connection");
}

TEST_F(RecordsetTest, StatementWithoutRowsLeavesTheRecordsetClosed) {
  std::int32_t affected = 0;
  auto rs = connection_->Execute(u"UPDATE t_item SET FName = 'x' WHERE FItemID > 1", &affected);
  EXPECT_EQ(rs->State(), adStateClosed);
  EXPECT_EQ(affected, 2);
  ExpectAdoError([&] { rs->Eof(); }, kAdoObjectClosed, u"ADODB.Recordset");

  auto opened = com::Make<Recordset>();
  opened->Open(u"DELETE FROM t_item WHERE FItemID = 3", connection_);
  EXPECT_EQ(opened->State(), adStateClosed);
  EXPECT_EQ(Items()->RecordCount(), 2);
}

TEST_F(RecordsetTest, BatchReturnsItsFirstRowSet) {
  std::int32_t affected = 0;
  auto rs = connection_->Execute(
      u"INSERT INTO t_item (FItemID, FName) VALUES (4, 'washer')\r\n"
      u"SELECT FName FROM t_item WHERE FItemID = 4\r\n"
      u"SELECT FItemID FROM t_item",
      &affected);
  ASSERT_EQ(rs->State(), adStateOpen);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Fields()->Item(0)->Name(), u"FName");
  EXPECT_EQ(rs->Fields()->Item(0)->Value(), oleaut::Variant(u"washer"));
}

TEST_F(RecordsetTest, FieldsByNameIgnoreCaseAndTakeTheFirstOfTwo) {
  auto rs = connection_->Execute(
      u"SELECT FName AS Label, FItemID AS label FROM t_item "
      u"WHERE FItemID = 1");
  EXPECT_EQ(rs->Fields()->Item(u"LABEL")->Value(), oleaut::Variant(u"bolt"));
  EXPECT_EQ(rs->Fields()->Item(oleaut::Variant(u"label"))->Name(), u"Label");
  EXPECT_EQ(rs->Fields()->Item(oleaut::Variant(std::int16_t{1}))->Value(), oleaut::Variant(1));
  ExpectAdoError([&] { rs->Fields()->Item(u"FNote"); }, kAdoItemNotFound, u"ADODB.Fields",
                 {u"'FNote'"});
  ExpectAdoError([&] { rs->Fields()->Item(2); }, kAdoItemNotFound, u"ADODB.Fields",
                 {u"position 2"});
  ExpectAdoError([&] { rs->Fields()->Item(-1); }, kAdoItemNotFound, u"ADODB.Fields");
}

TEST_F(RecordsetTest, FieldStandsForItsValue) {
  auto rs = Items();
  const oleaut::Variant field(rs->Fields()->Item(u"FName"));
  EXPECT_EQ(oleaut::ValueOf(field), oleaut::Variant(u"bolt"));
  rs->MoveNext();
  EXPECT_EQ(oleaut::ValueOf(field), oleaut::Variant(u"nut"));
}

TEST_F(RecordsetTest, GetChunkContinuesWhereItStoppedAndStartsOverAfterOtherReads) {
  oleaut::ByteArray photo(250);
  for (std::size_t i = 0; i < photo.size(); ++i)
    photo[i] = static_cast<std::uint8_t>(i);
  auto command = com::Make<Command>();
  command->SetActiveConnection(connection_);
  command->SetCommandText(u"UPDATE t_item SET FPhoto = ? WHERE FItemID = 1");
  command->Parameters()->Append(
      command->CreateParameter({}, adLongVarBinary, adParamInput, 2147483647, photo));
  command->Execute();

  auto rs = connection_->Execute(u"SELECT FItemID, FPhoto, FName FROM t_item ORDER BY FItemID");
  auto field = rs->Fields()->Item(u"FPhoto");
  EXPECT_EQ(field->Type(), adLongVarBinary);
  EXPECT_EQ(field->ActualSize(), 250);
  std::vector<std::size_t> sizes;
  oleaut::ByteArray joined;
  for (auto chunk = field->GetChunk(100); !chunk.IsNull(); chunk = field->GetChunk(100)) {
    sizes.push_back(chunk.AsByteArray().size());
    joined.insert(joined.end(), chunk.AsByteArray().begin(), chunk.AsByteArray().end());
  }
  EXPECT_EQ(sizes, (std::vector<std::size_t>{100, 100, 50}));
  EXPECT_EQ(joined, photo);

  field->GetChunk(100);
  rs->Fields()->Item(u"FName")->Value();
  EXPECT_EQ(field->GetChunk(10).AsByteArray()[0], 0) << "another field's read starts over";
  auto text = rs->Fields()->Item(u"FName");
  EXPECT_EQ(text->GetChunk(3), oleaut::Variant(u"bol"));
  EXPECT_EQ(text->GetChunk(3), oleaut::Variant(u"t"));
  EXPECT_TRUE(text->GetChunk(3).IsNull());
  ExpectAdoError([&] { text->GetChunk(0); }, kAdoWrongArguments, u"ADODB.Field");
  ExpectAdoError([&] { rs->Fields()->Item(0)->GetChunk(4); }, kAdoWrongArguments, u"ADODB.Field",
                 {u"FItemID"});

  rs->MoveNext();
  EXPECT_EQ(field->ActualSize(), 0) << "Null";
  EXPECT_TRUE(field->GetChunk(100).IsNull());
  EXPECT_EQ(text->ActualSize(), 3);
  EXPECT_EQ(rs->Fields()->Item(0)->ActualSize(), 4);
}

TEST_F(RecordsetTest, TransactionsCommitOrRollBackAndBlockClose) {
  EXPECT_EQ(connection_->BeginTrans(), 1);
  Run(u"DELETE FROM t_item");
  ExpectAdoError([&] { connection_->Close(); }, kAdoCloseInTransaction, u"ADODB.Connection");
  connection_->RollbackTrans();
  EXPECT_EQ(Items()->RecordCount(), 3);
  connection_->BeginTrans();
  Run(u"DELETE FROM t_item WHERE FItemID = 1");
  connection_->CommitTrans();
  EXPECT_EQ(OpenConnection()->Execute(u"SELECT FItemID FROM t_item")->RecordCount(), 2);
  EXPECT_THROW(connection_->CommitTrans(), oleaut::ComError);
  connection_->Close();
  ExpectAdoError([&] { connection_->BeginTrans(); }, kAdoObjectClosed, u"ADODB.Connection");
}

}  // namespace
}  // namespace ado::testing
