// tavprint as a user runs it, and the JSON conversions behind its arguments and results.
#include <gtest/gtest.h>

#include <fstream>

#include "json_values.h"
#include "platform/oleaut/com_error.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "tavprint_fixture.h"
#include "temp_dir.h"

namespace {

using oleaut::Variant;
using tavprint::Json;
using tavtest::Outcome;
using tavtest::ReadText;
using tavtest::TavprintTest;

TEST_F(TavprintTest, AFreshBuildCallsWithoutAManualRegistration) {
  const Outcome run = Tavprint("call clsGetData.TransMode");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "3\n");
  EXPECT_NE(ReadText(registry_).find("TAVMPrintExport.clsGetData"), std::string::npos);
  EXPECT_EQ(Tavprint("call TAVMPrintExport.clsPrintSetupUpdate.TransMode").out, "2\n");

  EXPECT_EQ(Tavprint("unregister").status, 0);
  EXPECT_EQ(ReadText(registry_).find("TAVMPrintExport"), std::string::npos);
}

TEST_F(TavprintTest, ErrorsArePrintedWithSourceAndNumberAndExitNonZero) {
  struct Case {
    std::string args;
    std::string message;
  };
  const Case cases[] = {
      {"call clsGetData.Nope", "has no member named 'Nope'"},
      {"call clsGetData.GetBillTypeInfo demo 1", "Argument 1 (sDsn) is not a JSON value"},
      {"call clsGetData.GetBillTypeInfo '\"demo\"'", "takes 2 arguments"},
      {"call clsGetData.GetBillTypeInfo '\"demo\"' '\"x\"'", "pBillTranType (Long)"},
      {"call Nobody.Thing.Member", "'Nobody.Thing' is not in the registry"},
      {"call TransMode", "is not Class.Member"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const Outcome run = Tavprint(c.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("  number: 0x8"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty());
  }

  std::ofstream(registry_) << "{ not json";
  const Outcome corrupt = Tavprint("call clsGetData.TransMode");
  EXPECT_EQ(corrupt.status, 1);
  EXPECT_NE(corrupt.err.find("The registry file " + registry_.string() + " is corrupt"),
            std::string::npos)
      << corrupt.err;

  EXPECT_NE(Tavprint("frobnicate").status, 0);
}

TEST_F(TavprintTest, TypelibPrintsEveryInterfaceAsATable) {
  const Outcome run = Tavprint("typelib");
  EXPECT_EQ(run.status, 0);
  for (const char* text :
       {"library TAVMPrintExport 1.1 {4AB93173-CAEE-433D-8403-357A5E6DE2DB} lcid 0x409",
        "interface _clsPrintSetupUpdate {31646A47-8243-42B3-89F6-4F70A0A43286}",
        "ByRef pRetRs As Recordset, SumNotePrint As Boolean  Long",
        "[dicPara As VDL.Dictionary = Nothing]", "11  0x6003000A  UpdateUserRptNoteData"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

TEST(TavprintJson, ArgumentsAndResultsKeepTheirShape) {
  const Json input =
      Json::parse(R"({"b": 1, "a": [1, 2.5, "x", null, true, 3000000000, -2147483648], "c": {}})");
  const Variant value = tavprint::ArgumentFromJson(input, nullptr);
  const auto dictionary = value.AsObjectOf<vdl::Dictionary>();
  ASSERT_TRUE(dictionary);
  const auto list = dictionary->Item(u"A").AsObjectOf<vdl::List>();
  EXPECT_EQ(list->Item(1), Variant(1));
  EXPECT_EQ(list->Item(2), Variant(2.5));
  EXPECT_EQ(list->Item(4), Variant(oleaut::kNull));
  EXPECT_EQ(list->Item(6), Variant(3000000000.0));
  EXPECT_EQ(list->Item(7), Variant(std::numeric_limits<std::int32_t>::min()));

  const tavprint::ResultPrinter printer;
  EXPECT_EQ(printer.Print(value).dump(),
            R"({"b":1,"a":[1,2.5,"x",null,true,3000000000.0,-2147483648],"c":{}})");
  EXPECT_EQ(printer.Print(Variant(oleaut::ByteArray(5))).dump(), R"({"bytes":5})");

  const com::ParamInfo object_param = com::In(u"p", oleaut::VarType::Object);
  EXPECT_TRUE(tavprint::ArgumentFromJson(nullptr, &object_param).IsNothing());

  // An object that contains itself is an error, not a crash.
  const auto self = com::Make<vdl::Dictionary>();
  self->SetItem(u"me", self);
  EXPECT_THROW(printer.Print(Variant(self)), oleaut::ComError);
  self->SetItem(u"me", Variant());  // break the cycle so the dictionary is freed
}

}  // namespace
