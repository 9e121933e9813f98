// tavprint's template commands end to end on a test database: save a body from a file, list,
// select, see why printing picks it, export it, delete it.
#include "template_commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "json_values.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "store_fixture.h"

namespace templates_test {
namespace {

class TemplateCommandsTest : public StoreTest {
 protected:
  std::string As(std::int16_t user) const { return oleaut::ToUtf8(Dsn(user)); }
  std::string File(const std::string& name, const std::string& content = {}) const {
    const auto path = files_.Path() / name;
    if (!content.empty()) std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  tavtest::TempDir files_;
  tavtest::ScopedEnv registry_{"TAV_REGISTRY_FILE", (files_.Path() / "registry.json").string()};
};

TEST_F(TemplateCommandsTest, SaveListSelectWhichExportDelete) {
  const tavprint::TemplateOwner owner{21, false};
  std::ostringstream out;
  tavprint::RunTemplateSave(As(kZhang), owner, "我的", File("in.bin", std::string("a\0b", 3)),
                            false, out);
  const std::int32_t id = Count(u"SELECT max(FId) FROM T_ExcelPrintExportNote");
  EXPECT_EQ(out.str(),
            "Saved template " + std::to_string(id) + " \"我的\" of bill type 21 (3 bytes)\n");

  std::ostringstream which;
  tavprint::RunTemplateWhich(As(kZhang), owner, "", {}, which);
  EXPECT_NE(which.str().find("No template would be used"), std::string::npos) << which.str();

  tavprint::RunTemplateSelect(As(kZhang), owner, id, out);
  std::ostringstream list;
  tavprint::RunTemplateList(As(kZhang), owner, {}, list);
  EXPECT_EQ(list.str(),
            "Templates of bill type 21:\n  * " + std::to_string(id) + "  我的\nPage options: \n");

  which.str({});
  tavprint::RunTemplateWhich(As(kZhang), owner, "RED", {}, which);
  EXPECT_NE(which.str().find("Found by step 2 of 5: the user's own selected template without "
                             "sub-type."),
            std::string::npos)
      << which.str();

  tavprint::RunTemplateExport(As(kZhang), owner, std::nullopt, "", File("out.bin"), out);
  EXPECT_EQ(tavtest::ReadText(File("out.bin")), std::string("a\0b", 3));

  EXPECT_THROW(tavprint::RunTemplateSelect(As(kZhang), owner, id + 1, out), oleaut::ComError);
  tavprint::RunTemplateDelete(As(kZhang), owner, id, out);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExportNote"), 0);
  EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport WHERE FBillId > 0"), 0);
}

TEST_F(TemplateCommandsTest, AdministratorSaveAndReportTemplates) {
  std::ostringstream out;
  tavprint::RunTemplateSave(As(kZhang), {21, false}, "默认", File("a.bin", "x"), true, out);
  EXPECT_EQ(Rows(u"SELECT FCreatorName FROM T_ExcelPrintExportNote"),
            (std::vector<Row>{{Variant(u"Manager")}}));
  EXPECT_THROW(tavprint::RunTemplateSave(As(kZhang), {1001, true}, "r", File("a.bin"), true, out),
               oleaut::ComError);

  tavprint::RunTemplateSave(As(kLi), {1001, true}, "台账", File("r.bin", "rr"), false, out);
  std::ostringstream json;
  tavprint::RunTemplateList(As(kLi), {1001, true}, {.json = true}, json);
  const auto parsed = tavprint::Json::parse(json.str());
  EXPECT_EQ(parsed["report"], 1001);
  ASSERT_EQ(parsed["templates"].size(), 1U);
  EXPECT_EQ(parsed["templates"][0]["name"], "台账");
  EXPECT_EQ(parsed["templates"][0]["selected"], false);
  EXPECT_EQ(parsed["page_options"], "");
}

}  // namespace
}  // namespace templates_test
