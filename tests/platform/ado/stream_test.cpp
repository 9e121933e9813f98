#include "platform/ado/stream.h"

#include <gtest/gtest.h>

#include "ado_fixture.h"

namespace ado::testing {
namespace {

TEST(Stream, CollectsPiecesAndReadsThemBack) {
  auto stream = com::Make<Stream>();
  stream->SetType(adTypeBinary);
  stream->Open();
  oleaut::ByteArray expected;
  for (std::uint8_t piece = 0; piece < 30; ++piece) {
    const oleaut::ByteArray bytes(piece, piece);
    stream->Write(oleaut::Variant(bytes));
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  EXPECT_EQ(stream->Size(), static_cast<std::int64_t>(expected.size()));
  EXPECT_TRUE(stream->Eos());
  EXPECT_TRUE(stream->Read().IsNull());
  stream->SetPosition(0);
  EXPECT_EQ(stream->Read(), oleaut::Variant(expected));

  stream->SetPosition(2);
  EXPECT_EQ(stream->Read(3), oleaut::Variant(oleaut::ByteArray{2, 3, 3}));
  stream->SetPosition(1);
  stream->Write(oleaut::ByteArray{9, 9});
  stream->SetEOS();
  stream->SetPosition(0);
  EXPECT_EQ(stream->Read(), oleaut::Variant(oleaut::ByteArray{1, 9, 9}));
  stream->SetPosition(5);
  EXPECT_EQ(stream->Size(), 5) << "a position past the end grows the stream";

  ExpectAdoError([&] { stream->SetType(adTypeText); }, kAdoNotAllowedInContext, u"ADODB.Stream");
  ExpectAdoError([&] { stream->Write(oleaut::Variant(u"text")); }, kAdoWrongArguments,
                 u"ADODB.Stream");
  ExpectAdoError([&] { stream->Open(); }, kAdoObjectOpen, u"ADODB.Stream");
  stream->Close();
  ExpectAdoError([&] { stream->Read(); }, kAdoObjectClosed, u"ADODB.Stream");
  ExpectAdoError([&] { stream->Close(); }, kAdoObjectClosed, u"ADODB.Stream");

  auto text = com::Make<Stream>();
  text->Open();
  ExpectAdoError([&] { text->Write(oleaut::ByteArray{1}); }, kAdoNotAllowedInContext,
                 u"ADODB.Stream", {u"binary"});
}

}  // namespace
}  // namespace ado::testing
