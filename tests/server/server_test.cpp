// The server library as its clients see it: what it exports, and a register, activate, call and
// unregister round trip in a registry of its own.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "com_error_of.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/com/hresult.h"
#include "platform/com/registry.h"
#include "platform/oleaut/com_error.h"
#include "run_command.h"
#include "temp_dir.h"
#include "typelib/library.h"

namespace {

using oleaut::Bstr;
using oleaut::ComError;
using oleaut::Variant;

const std::filesystem::path kLibrary =
    std::filesystem::weakly_canonical(std::filesystem::path(TAV_SERVER_LIBRARY));
const Bstr kLibraryText = oleaut::FromUtf8(kLibrary.string());

using tavtest::ErrorOf;

TEST(ServerLibrary, ExportsExactlyTheFourEntryPoints) {
  std::istringstream lines(
      tavtest::RunCommand("nm -D --defined-only '" + kLibrary.string() + "'").out);
  std::set<std::string> symbols;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) symbols.insert(name);
  }
  EXPECT_EQ(symbols, (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject",
                                            "DllRegisterServer", "DllUnregisterServer"}));
}

class ServerTest : public ::testing::Test {
 protected:
  com::Ptr<com::Dispatch> Create(std::u16string_view progid) {
    com::Ptr<com::Dispatch> object = com::As<com::Dispatch>(com::CreateByProgID(progid));
    EXPECT_TRUE(object);
    return object;
  }

  tavtest::TempDir dir_;
  tavtest::ScopedEnv env_{"TAV_REGISTRY_FILE", (dir_ / "registry.json").string()};
  com::Registry registry_ = com::Registry::Default();
};

TEST_F(ServerTest, RegistrationWritesTheClassesAndUnregistrationRemovesExactlyThem) {
  // Someone else's entries, which must survive both steps untouched.
  registry_.SetValue(u"HKCR\\CLSID\\{00000000-1111-2222-3333-444444444444}", u"", u"Other");
  registry_.SetValue(u"HKLM\\SOFTWARE\\MERIDAN\\TAVPRODUCT", u"Path", u"/opt/tav");
  const std::string before = registry_.Read().ToJson();

  com::RegisterServer(kLibrary);
  const com::RegistryData data = registry_.Read();
  for (const com::ClassInfo& info : typelib::kClasses) {
    SCOPED_TRACE(oleaut::ToUtf8(info.name));
    const Bstr key = u"HKCR\\CLSID\\" + info.clsid.ToBstr();
    const Bstr progid = u"TAVMPrintExport." + Bstr(info.name);
    EXPECT_EQ(data.GetValue(key, u""), Bstr(info.name));
    EXPECT_EQ(data.GetValue(key + u"\\InprocServer32", u""), kLibraryText);
    EXPECT_EQ(data.GetValue(key + u"\\InprocServer32", u"ThreadingModel"), Bstr(u"Apartment"));
    EXPECT_EQ(data.GetValue(key + u"\\ProgID", u""), progid);
    EXPECT_EQ(data.GetValue(key + u"\\TypeLib", u""),
              Bstr(u"{4AB93173-CAEE-433D-8403-357A5E6DE2DB}"));
    EXPECT_EQ(data.GetValue(u"HKCR\\" + progid + u"\\CLSID", u""), info.clsid.ToBstr());
  }
  EXPECT_EQ(data.GetValue(u"HKCR\\TypeLib\\{4AB93173-CAEE-433D-8403-357A5E6DE2DB}\\1.1", u""),
            Bstr(u"TAVMPrintExport"));

  com::UnregisterServer(kLibrary);
  EXPECT_EQ(registry_.Read().ToJson(), before);
}

TEST_F(ServerTest, RegisteredClassesAreCreatedByProgIdAndCalledByName) {
  com::RegisterServer(kLibrary);
  EXPECT_EQ(Create(u"TAVMPrintExport.clsGetData")->Call(u"TransMode"), Variant(3));
  EXPECT_EQ(Create(u"TAVMPrintExport.clsPrintSetupUpdate")->Call(u"transmode"), Variant(2));
  EXPECT_EQ(ErrorOf([&] {
              Create(u"TAVMPrintExport.clsPrintSetupQuery")->Call(u"TransMode");
            }).VbNumber(),
            oleaut::kNoSuchMember);

  // The class factory hands out the class's own interface, IDispatch and IUnknown only.
  const com::Ptr<com::ClassFactory> factory = com::GetClassObject(typelib::kClsGetData.clsid);
  EXPECT_TRUE(factory->CreateInstance(typelib::kGetDataInterface.iid));
  EXPECT_EQ(
      ErrorOf([&] { factory->CreateInstance(typelib::kPrintSetupQueryInterface.iid); }).Number(),
      com::E_NOINTERFACE);

  // A CLSID that points at the library but is not one of its classes: the library's own error.
  const Bstr stranger = u"{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}";
  registry_.SetValue(u"HKCR\\CLSID\\" + stranger + u"\\InprocServer32", u"", kLibraryText);
  const ComError unavailable = ErrorOf([&] { com::CreateInstance(com::Guid::Parse(stranger)); });
  EXPECT_EQ(unavailable.Number(), com::CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_NE(oleaut::ToUtf8(unavailable.Description()).find(oleaut::ToUtf8(stranger)),
            std::string::npos);
}

TEST_F(ServerTest, TheLibraryUnloadsOnlyWhenNoObjectOrLockRemains) {
  com::RegisterServer(kLibrary);
  com::FreeUnusedLibraries();
  EXPECT_EQ(com::LoadedLibraryCount(), 0U);

  com::Ptr<com::Dispatch> object = Create(u"TAVMPrintExport.clsGetData");
  com::Ptr<com::ClassFactory> factory = com::GetClassObject(typelib::kClsGetData.clsid);
  factory->LockServer(true);
  factory.Reset();
  com::FreeUnusedLibraries();
  EXPECT_EQ(com::LoadedLibraryCount(), 1U);  // the object is alive
  object.Reset();
  com::FreeUnusedLibraries();
  EXPECT_EQ(com::LoadedLibraryCount(), 1U);  // the lock is held

  factory = com::GetClassObject(typelib::kClsGetData.clsid);
  factory->LockServer(false);
  factory.Reset();
  com::FreeUnusedLibraries();
  EXPECT_EQ(com::LoadedLibraryCount(), 0U);
  // And it loads again when asked.
  EXPECT_EQ(Create(u"TAVMPrintExport.clsGetData")->Call(u"TransMode"), Variant(3));
}

}  // namespace
