// Results that outlive the libraries that made them: a host frees unused libraries (as COM hosts
// do periodically) while it still holds what the component returned. A server library holds no
// code of the platform's types, so each result keeps working after its maker is unloaded, and a
// library whose objects are all released really is unloaded.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bill_fixture.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
#include "platform/com/activation.h"
#include "platform/com/dispatch.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/convert.h"
#include "product_servers.h"
#include "run_command.h"

namespace billdata_test {
namespace {

constexpr const char* kServerLibraries[] = {"libTAVMPrintExport.so", "libTAVMBillsPackage.so",
                                            "libTAVEBSBase.so", "libTAVEBSGLItem.so"};

// Whether the loader still has the library mapped, whoever loaded it.
bool Mapped(const char* library) {
  void* handle =
      dlopen(tavtest::ProductLibrary(library).c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_LOCAL);
  if (handle != nullptr) dlclose(handle);
  return handle != nullptr;
}

class UnloadingTest : public BillDataTest {
 protected:
  // The component as a host reaches it: activated from its library by ProgID.
  static com::Ptr<com::Dispatch> GetData() {
    return com::As<com::Dispatch>(com::CreateByProgID(u"TAVMPrintExport.clsGetData"));
  }

  static void ExpectEveryServerUnloaded() {
    com::FreeUnusedLibraries();
    EXPECT_EQ(com::LoadedLibraryCount(), 0U);
    for (const char* library : kServerLibraries)
      EXPECT_FALSE(Mapped(library)) << library;
  }
};

// The reproduction: a member's result is held, the class released, unused libraries freed, and
// then the result is read, copied into and released.
TEST_F(UnloadingTest, ResultsOutliveTheLibrariesThatMadeThem) {
  struct Case {
    const char* label;
    std::function<Variant(com::Dispatch& data)> call;
    std::function<void(const Variant& result)> use;
  };
  const Case cases[] = {
      {"the dictionary of GetBillTypeInfo",
       [&](com::Dispatch& data) { return data.Call(u"GetBillTypeInfo", Dsn(), 1); },
       [](const Variant& result) {
         const auto info = AsDict(result);
         EXPECT_EQ(info->Count(), 15);
         EXPECT_EQ(info->Item(u"ftemplateid"), Variant(u"A01"));
         info->SetItem(u"Added", 1);
         EXPECT_EQ(info->KeyAt(15), u"Added");
       }},
      {"the list of GetBillPackage, with the package reader's dictionary in it",
       [&](com::Dispatch& data) { return data.Call(u"GetBillPackage", Dsn(), 1); },
       [](const Variant& result) {
         const auto list = AsList(result);
         ASSERT_EQ(list->UpperBound(), 4);
         const auto package = AsDict(list->Item(4));
         EXPECT_EQ(AsDict(package->Item(u"BillInfo"))->Item(u"FHeadTable"),
                   Variant(u"ICStockBill"));
         EXPECT_GT(AsList(package->Item(u"Page0"))->UpperBound(), 0);
         list->Add(Variant(u"added"));
       }},
      {"the recordset of ExecuteSQL",
       [&](com::Dispatch& data) {
         return data.Call(u"ExecuteSQL", Dsn(), u"SELECT FUserID, FName FROM t_User ORDER BY 1");
       },
       [](const Variant& result) {
         const auto rows = com::As<ado::Recordset>(result.AsObject());
         ASSERT_TRUE(rows);
         EXPECT_GT(rows->RecordCount(), 1);
         const auto field = rows->Fields()->Item(u"FUserID");
         const Variant first = oleaut::ValueOf(Variant(field));  // through its default value
         rows->MoveNext();
         EXPECT_NE(field->Value(), first);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Variant result = c.call(*GetData());
    ExpectEveryServerUnloaded();
    c.use(result);
    result = Variant();
  }
}

// An error the component raises is an object of the platform's type too: the host may look at
// it after the library is gone.
TEST_F(UnloadingTest, AnErrorOutlivesTheLibraryThatRaisedIt) {
  auto data = GetData();
  try {
    data->Call(u"GetBillPackage", Dsn(), 999);
    ADD_FAILURE() << "accepted";
  } catch (const oleaut::ComError& e) {
    data.Reset();
    ExpectEveryServerUnloaded();
    EXPECT_NE(e.Description().find(u"999"), std::u16string::npos) << e.what();
  }
}

// While an object a library made is alive the library stays: its class instance, and the class
// object held by a host.
TEST_F(UnloadingTest, ALibraryStaysWhileItsObjectsLive) {
  auto data = GetData();
  auto factory = com::GetClassObject(com::ClsidFromProgID(u"TAVMBillsPackage.clsReadPackage"));
  com::FreeUnusedLibraries();
  EXPECT_TRUE(Mapped("libTAVMPrintExport.so"));
  EXPECT_TRUE(Mapped("libTAVMBillsPackage.so"));
  EXPECT_EQ(AsDict(data->Call(u"GetBillTypeInfo", Dsn(), 1))->Count(), 15);
  data.Reset();
  factory.Reset();
  ExpectEveryServerUnloaded();
}

// The platform's types carry their vtables in the platform library only: a server library
// defines the vtables of its own classes and of their served form, and none of a platform type
// or of a shared pointer's count (which a platform object could keep beyond the call).
// Exceptions of the standard library that a debug build keeps a copy of live only while thrown.
TEST(ServerLibraryCode, NoServerHoldsAVtableOfThePlatform) {
  const std::vector<std::string> foreign = {
      "com::", "oleaut::", "vdl::",  "ado::",           "tavglobal::",
      "io::",  "win::",    "tsql::", "std::_Sp_counted"};
  for (const char* library : kServerLibraries) {
    SCOPED_TRACE(library);
    std::istringstream lines(tavtest::RunCommand("nm -C --defined-only '" +
                                                 tavtest::ProductLibrary(library).string() + "'")
                                 .out);
    int vtables = 0;
    for (std::string text; std::getline(lines, text);) {
      const std::size_t at = text.find(" vtable for ");
      if (at == std::string::npos) continue;
      ++vtables;
      const std::string type = text.substr(at + 12);
      if (type.starts_with("com::ServedObject<")) continue;
      for (const std::string& prefix : foreign)
        EXPECT_FALSE(type.starts_with(prefix)) << type;
    }
    EXPECT_GT(vtables, 0) << "no symbols read";
  }
}

}  // namespace
}  // namespace billdata_test
