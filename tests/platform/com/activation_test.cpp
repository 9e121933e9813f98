#include "platform/com/activation.h"

#include <gtest/gtest.h>

#include "com_error_of.h"
#include "platform/com/hresult.h"
#include "platform/com/registry.h"
#include "platform/oleaut/com_error.h"
#include "temp_dir.h"

namespace {

using oleaut::ComError;

class Widget : public com::Unknown {};

const com::Guid kWidgetClsid = com::Guid::Parse("{5F2B8C3E-1D4A-4E6B-8C7D-9E0F1A2B3C4D}");
const bool kWidgetRegistered = com::RegisterBuiltinClass(
    u"Tests.Widget", kWidgetClsid, [] { return com::Ptr<com::Unknown>(com::Make<Widget>()); });

class ActivationTest : public ::testing::Test {
 protected:
  static ComError ErrorOf(std::u16string_view progid) {
    return tavtest::ErrorOf([&] { com::CreateByProgID(progid); });
  }
  static bool Mentions(const ComError& error, std::string_view text) {
    return oleaut::ToUtf8(error.Description()).find(text) != std::string::npos;
  }

  tavtest::TempDir dir_;
  tavtest::ScopedEnv env_{"TAV_REGISTRY_FILE", (dir_ / "registry.json").string()};
  com::Registry registry_ = com::Registry::Default();
};

TEST_F(ActivationTest, BuiltinClassesNeedNoRegistryEntry) {
  ASSERT_TRUE(kWidgetRegistered);
  EXPECT_TRUE(com::As<Widget>(com::CreateByProgID(u"tests.WIDGET")));
  EXPECT_TRUE(com::As<Widget>(com::CreateInstance(kWidgetClsid)));
}

TEST_F(ActivationTest, UnregisteredOrBrokenClassesSayWhatIsMissing) {
  const ComError unknown = ErrorOf(u"Nobody.Nothing");
  EXPECT_EQ(unknown.Number(), com::REGDB_E_CLASSNOTREG);
  EXPECT_TRUE(Mentions(unknown, "'Nobody.Nothing'"));
  EXPECT_TRUE(Mentions(unknown, "registry.json"));

  registry_.SetValue(u"HKCR\\Bad.Clsid\\CLSID", u"", u"{1234}");
  EXPECT_EQ(ErrorOf(u"Bad.Clsid").Number(), com::CO_E_CLASSSTRING);

  const std::u16string clsid = u"{6A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9}";
  registry_.SetValue(u"HKCR\\No.Server\\CLSID", u"", clsid);
  const ComError no_server = ErrorOf(u"No.Server");
  EXPECT_EQ(no_server.Number(), com::REGDB_E_CLASSNOTREG);
  EXPECT_TRUE(Mentions(no_server, "InprocServer32"));

  registry_.SetValue(u"HKCR\\CLSID\\" + clsid + u"\\InprocServer32", u"",
                     oleaut::FromUtf8((dir_ / "missing.so").string()));
  const ComError no_library = ErrorOf(u"No.Server");
  EXPECT_EQ(no_library.Number(), com::CO_E_DLLNOTFOUND);
  EXPECT_TRUE(Mentions(no_library, "missing.so: "));  // followed by the loader's reason

  // A library that loads but is not a server.
  registry_.SetValue(u"HKCR\\CLSID\\" + clsid + u"\\InprocServer32", u"", u"libm.so.6");
  const ComError not_server = ErrorOf(u"No.Server");
  EXPECT_EQ(not_server.Number(), com::CO_E_ERRORINDLL);
  EXPECT_TRUE(Mentions(not_server, "DllGetClassObject"));
}

}  // namespace
