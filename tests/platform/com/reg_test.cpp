#include "platform/vdl/reg.h"

#include <gtest/gtest.h>

#include "platform/com/activation.h"
#include "platform/com/registry.h"
#include "platform/oleaut/com_error.h"
#include "temp_dir.h"

namespace {

using oleaut::Variant;

TEST(VdlReg, ReadsValuesByFullKeyPathThroughLateBinding) {
  const tavtest::TempDir dir;
  const tavtest::ScopedEnv env("TAV_REGISTRY_FILE", (dir / "registry.json").string());
  com::Registry::Default().SetValue(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path",
                                    u"/opt/tav/");

  const com::Ptr<com::Dispatch> reg = com::As<com::Dispatch>(com::CreateByProgID(u"VDL.Reg"));
  ASSERT_TRUE(reg);
  EXPECT_EQ(reg->Call(u"GetKeyValue", u"HKEY_LOCAL_MACHINE\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path",
                      u"1"),
            Variant(u"/opt/tav/"));
  EXPECT_EQ(reg->Call(u"GetKeyValue", u"HKLM\\software\\meridan\\tavproduct", u"path"),
            Variant(u"/opt/tav/"));
  // Missing values and keys read as the empty text.
  EXPECT_EQ(reg->Call(u"GetKeyValue", u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Other", u"1"),
            Variant(u""));
  EXPECT_EQ(reg->Call(u"GetKeyValue", u"HKLM\\SOFTWARE\\Nobody", u"Path", u"1"), Variant(u""));
  // A key without a root is an error, not an empty answer.
  EXPECT_THROW(reg->Call(u"GetKeyValue", u"SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path", u"1"),
               oleaut::ComError);
}

}  // namespace
