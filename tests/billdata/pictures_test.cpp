// Pictures through Invoke: a binary column read 100 bytes at a time with its exact bytes back,
// callers' texts refused before any statement, the error every failure becomes, and an item's
// small photo from the item component.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "bill_fixture.h"
#include "com_error_of.h"
#include "platform/ado/chunk_trace.h"
#include "platform/ado/command.h"
#include "platform/ado/sql_trace.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "platform/oleaut/text.h"

namespace billdata_test {
namespace {

using tavtest::ErrorOf;

constexpr auto kPictureError = static_cast<std::int32_t>(0x80040001U);

class PicturesTest : public BillDataTest {
 protected:
  PicturesTest() {
    Exec(
        u"CREATE TABLE T_Picture (FID int NOT NULL PRIMARY KEY, FCode varchar(20) NULL, "
        u"FData image NULL)");
  }

  // Row `id` of T_Picture holding `bytes` (Null when absent).
  void Store(std::int32_t id, const std::optional<oleaut::ByteArray>& bytes) {
    auto command = com::Make<ado::Command>();
    command->SetActiveConnection(RawConnection());
    command->SetCommandText(u"INSERT INTO T_Picture (FID, FCode, FData) VALUES (?, ?, ?)");
    const std::array<Variant, 3> values{id, u"P" + oleaut::ToString(id),
                                        bytes ? Variant(*bytes) : Variant(oleaut::kNull)};
    command->Execute(nullptr, values);
  }

  Variant Picture(std::u16string_view table, std::u16string_view field, std::u16string_view key,
                  std::u16string_view value) {
    return query_->Call(u"GetPictureData", Dsn(),
                        Dict({{u"TableName", table},
                              {u"FieldName", field},
                              {u"PrimaryKeyField", key},
                              {u"PrimaryKeyValue", value}}));
  }
};

TEST_F(PicturesTest, APictureIsReadInPiecesOfAHundredBytesAndComesBackWhole) {
  struct Case {
    std::int32_t id;
    std::size_t size;
    std::vector<std::size_t> chunks;
  };
  const Case cases[] = {
      {1, 100, {100}},
      {2, 250, {100, 100, 50}},
      {3, 1, {1}},
      {4, 1000, std::vector<std::size_t>(10, 100)},
  };
  for (const Case& c : cases)
    Store(c.id, PatternBytes(c.size));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    ado::ScopedSqlTrace sql;
    ado::ScopedChunkTrace chunks;
    const Variant picture = Picture(u"T_Picture", u"FData", u"FID", oleaut::ToString(c.id));
    EXPECT_EQ(picture, Variant(PatternBytes(c.size)));
    EXPECT_EQ(chunks.Lengths(), c.chunks);
    EXPECT_EQ(sql.Batches(), std::vector<std::u16string>{u"select FData from T_Picture\r\n where "
                                                         u"FID=" +
                                                         oleaut::ToString(c.id)});
  }
}

TEST_F(PicturesTest, NamesAndKeysAreSplicedAsCallersWriteThem) {
  Store(7, PatternBytes(30));
  const Variant expected(PatternBytes(30));
  EXPECT_EQ(Picture(u"T_Picture", u"FData", u"FCode", u"'P7'"), expected);
  EXPECT_EQ(Picture(u"T_Picture", u"FData", u"FCode", u"N'P7'"), expected);
  EXPECT_EQ(Picture(u"[T_Picture]", u"[FData]", u"[FID]", u" 7 "), expected);
  EXPECT_EQ(Picture(u"T_Picture", u"FData", u"FID", u"7.0"), expected);
  // The demo's item photo.
  EXPECT_EQ(Picture(u"t_ICItem", u"FSmallPhoto", u"FItemID", u"1").AsByteArray().size(), 250U);
}

TEST_F(PicturesTest, EveryFailureIsTheComponentsErrorWithTheCaughtDescription) {
  Store(1, PatternBytes(10));
  struct Case {
    const char16_t* table;
    const char16_t* field;
    const char16_t* key;
    const char16_t* value;
    const char* says;
  };
  const Case cases[] = {
      {u"T_Picture; DELETE FROM T_Picture", u"FData", u"FID", u"1", "TableName"},
      {u"T_Picture", u"FData, FCode", u"FID", u"1", "FieldName"},
      {u"T_Picture", u"FData", u"FID=FID OR FID", u"1", "PrimaryKeyField"},
      {u"T_Picture", u"FData", u"FID", u"1 OR 1=1", "PrimaryKeyValue"},
      {u"T_Picture", u"FData", u"FCode", u"'P1' OR 'a'='a'", "PrimaryKeyValue"},
      {u"T_Picture", u"FData", u"FCode", u"'P1", "PrimaryKeyValue"},
      {u"T_Picture", u"FData", u"FID", u"", "PrimaryKeyValue"},
      {u"", u"FData", u"FID", u"1", "TableName"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    ado::ScopedSqlTrace sql;
    const oleaut::ComError error = ErrorOf([&] { Picture(c.table, c.field, c.key, c.value); });
    EXPECT_EQ(error.Number(), kPictureError);
    EXPECT_EQ(error.Source(), u"TAVQPrintExport:GetPictureData");
    EXPECT_NE(oleaut::ToUtf8(error.Description()).find(c.says), std::string::npos);
    EXPECT_TRUE(sql.Batches().empty());
  }
  EXPECT_EQ(Column(u"SELECT COUNT(*) FROM T_Picture"), std::vector<Variant>{1});

  // Failures of the statement itself, and of the arguments, take the same shape.
  const oleaut::ComError missing =
      ErrorOf([&] { Picture(u"T_NoSuchTable", u"FData", u"FID", u"1"); });
  EXPECT_EQ(missing.Number(), kPictureError);
  EXPECT_NE(oleaut::ToUtf8(missing.Description()).find("T_NoSuchTable"), std::string::npos);
  const oleaut::ComError text = ErrorOf([&] { Picture(u"T_Picture", u"FCode", u"FID", u"1"); });
  EXPECT_EQ(text.Number(), kPictureError);
  EXPECT_EQ(ErrorOf([&] {
              query_->Call(u"GetPictureData", Dsn(), Dict({{u"TableName", u"T_Picture"}}));
            }).Number(),
            kPictureError);
}

TEST_F(PicturesTest, ItemPictureIsTheItemComponentsTextAndNeverRaises) {
  Exec(u"UPDATE t_ICItem SET FSmallPhoto = 0x4D616E WHERE FItemID = 3");
  Exec(u"UPDATE t_ICItem SET FSmallPhoto = 0x4D61 WHERE FItemID = 4");
  Exec(u"UPDATE t_ICItem SET FSmallPhoto = 0x WHERE FItemID = 5");
  struct Case {
    const char16_t* item;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"3", u"TWFu"}, {u"4", u"TWE="}, {u" 4", u"TWE="},   {u"5", u""},
      {u"2", u""},     {u"999", u""},   {u"3 OR 1=1", u""}, {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(oleaut::ToUtf8(c.item));
    EXPECT_EQ(data_->Call(u"GetItemPicture", Dsn(), c.item), Variant(c.text));
  }
  // The demo photo: 250 bytes are 336 characters of base64.
  EXPECT_EQ(data_->Call(u"GetItemPicture", Dsn(), u"1").AsString().size(), 336U);

  UseEmptyRegistry();
  EXPECT_EQ(data_->Call(u"GetItemPicture", Dsn(), u"3"), Variant(u""));
}

}  // namespace
}  // namespace billdata_test
