// Users opening their template lists for the first time at once: each first list copies the
// administrator's templates, so these reading calls write, and must wait for each other rather
// than fail when a read lock cannot be upgraded.
#include <string>

#include "store_fixture.h"
#include "threads.h"

namespace templates_test {
namespace {

class ConcurrencyTest : public StoreTest {};

TEST_F(ConcurrencyTest, FirstListsOfSeveralUsersAtOnceAllCopy) {
  constexpr std::int32_t kTypes = 25;
  for (std::int32_t type = 1; type <= kTypes; ++type) {
    const std::int32_t body = AddBillBody(u"标准", type, u"Manager", {1, 2, 3});
    AddBillRow(type, body, kAdmin, u"标准", std::nullopt, 1);
  }
  const std::int16_t users[] = {kZhang, kLi};
  const auto failures = tavtest::OnThreads(std::size(users), [&](int u) {
    auto query = com::Make<frame::clsPrintSetupQuery>();
    for (std::int32_t type = 1; type <= kTypes; ++type)
      query->Call(u"GetNoteInfo", Dsn(users[u]), type);
  });
  EXPECT_EQ(failures, std::vector<std::string>(std::size(users)));
  for (const std::int16_t user : users) {
    EXPECT_EQ(Count(u"SELECT count(*) FROM T_ExcelPrintExport WHERE FBillId > 0 AND FPreparerId=" +
                    oleaut::FromUtf8(std::to_string(user))),
              kTypes);
  }
}

}  // namespace
}  // namespace templates_test
