// tavprint as a user runs it, and the JSON conversions behind its arguments and results.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

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

  // A registration left by a build folder deleted since is made again from beside tavprint.
  const std::string registered = ReadText(registry_);
  std::ofstream(registry_) << std::regex_replace(registered,
                                                 std::regex(R"("[^"]*/libTAVMPrintExport\.so")"),
                                                 "\"/gone/libTAVMPrintExport.so\"");
  ASSERT_NE(ReadText(registry_).find("/gone/"), std::string::npos);
  const Outcome moved = Tavprint("call clsGetData.TransMode");
  EXPECT_EQ(moved.status, 0) << moved.err;
  EXPECT_EQ(moved.out, "3\n");
  EXPECT_EQ(ReadText(registry_).find("/gone/"), std::string::npos);

  const Outcome first = Tavprint("unregister");
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_NE(first.out.find("Unregistered "), std::string::npos) << first.out;
  EXPECT_EQ(ReadText(registry_).find("TAVMPrintExport"), std::string::npos);
  // Unregistering twice says it was not registered.
  const Outcome second = Tavprint("unregister");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out.find("Unregistered "), std::string::npos) << second.out;
  EXPECT_NE(second.out.find("libTAVMPrintExport.so was not registered in " + registry_.string() +
                            ": nothing to remove"),
            std::string::npos)
      << second.out;
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
  ExpectSaid({{"call clsGetData.TransMode", 1,
               "The registry file " + registry_.string() + " is corrupt"}});
}

// What a new user types wrong is answered with what was meant.
TEST_F(TavprintTest, SlipsAreAnsweredWithWhatWasMeant) {
  ExpectSaid({
      {"bil types", kFails, "'bil' is not a command of tavprint. Did you mean 'bill'?"},
      {"--dsn demo bill cuont 1 1001", kFails,
       "'cuont' is not a command of tavprint bill. Did you mean "
       "'count'?\nCommands: types, list, info, count, fill"},
      {"frobnicate", kFails, "'frobnicate' is not a command of tavprint.\nCommands: register,"},
      {"--dsn demo bill", kFails,
       "tavprint bill needs one of its commands.\nCommands: types, list,"},
      {"--language XX whoami", kFails, "XX not in {CHS,CHT,EN}"},
      {"call clsGetData.TransMode --jsn", kFails,
       "Argument 1 '--jsn' is no option of tavprint call"},
  });
  // Options of the program after call's arguments are options, not arguments.
  const Outcome json =
      Tavprint("call clsGetData.GetSysValue '\"demo\"' '\"IC\"' '\"NoSuchKey\"' --json");
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out, "0\n");
  // A negative number is an argument.
  const Outcome negative = Tavprint("call clsGetData.GetBillTypeInfo '\"demo\"' -1");
  EXPECT_EQ(negative.status, 0) << negative.err;
  EXPECT_EQ(negative.out, "null\n");
}

// Who am I, on which sources, with which bills: each as a table and as JSON.
TEST_F(TavprintTest, DiscoveryCommandsShowUserSourcesBillTypesAndBills) {
  std::ofstream(dir_ / "catalog.toml")
      << "[sources.finance]\nconnection = \"Driver={x};Server=h;UID=sa;PWD={se;cret}\"\n"
         "user_id = 16395\n";
  ExpectSaid({
      {"whoami", 0,
       "Manager (user 16394, language CHS, the administrator) on demo\nIdentity: nobody "
       "was asked for: the administrator\n"},
      {"--user-id 16395 whoami", 0,
       "张伟 (user 16395, language CHS) on demo\nIdentity: asked for with --user-id"},
      {"sources", 0, "finance | 16395"},
      {"bill types", 0, "92  | 生产领料"},
      {"bill list 21", 0, "2003     | XOUT000003"},
  });
  EXPECT_EQ(Tavprint("sources").out.find("se;cret"), std::string::npos);
  EXPECT_EQ(Json::parse(Tavprint("--user-id 16396 whoami --json").out)["user_name"], "李娜");
  EXPECT_EQ(Json::parse(Tavprint("bill list 1 --json").out)["bills"][2]["bill_no"], "WIN000003");
  EXPECT_EQ(Json::parse(Tavprint("sources --json").out)["sources"][1]["name"], "finance");
  EXPECT_EQ(Json::parse(Tavprint("typelib --json").out)["classes"][0]["members"][0]["name"],
            "TransMode");
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
