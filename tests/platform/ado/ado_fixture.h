// A fresh SQLite database in a temporary directory with an open connection to it, and a check
// for ADO's error numbers and messages.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "com_error_of.h"
#include "platform/ado/connection.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"
#include "temp_dir.h"

namespace ado::testing {

class AdoTest : public ::testing::Test {
 protected:
  AdoTest() : connection_(OpenConnection()) {}

  std::u16string ConnectionString() const {
    return u"Provider=SQLite;Mode=ReadWriteCreate;Data Source=" +
           oleaut::FromUtf8((dir_ / "ado.db").string());
  }
  com::Ptr<Connection> OpenConnection() const {
    auto connection = com::Make<Connection>();
    connection->Open(ConnectionString());
    return connection;
  }
  void Run(std::u16string_view batch) const { connection_->Execute(batch); }

  tavtest::TempDir dir_;
  com::Ptr<Connection> connection_;
};

// Checks that `call` raises ADO error `number` (as 0x800A0000 | number) from `source`, with a
// description that contains each of `mentions`.
inline void ExpectAdoError(const std::function<void()>& call, std::int32_t number,
                           std::u16string_view source,
                           std::initializer_list<std::u16string_view> mentions = {}) {
  SCOPED_TRACE("expected error " + std::to_string(number));
  const oleaut::ComError error = tavtest::ErrorOf(call);
  EXPECT_EQ(error.Number(), oleaut::VbHresult(number)) << error.what();
  EXPECT_EQ(error.Source(), source) << error.what();
  for (const auto mention : mentions) {
    EXPECT_NE(error.Description().find(mention), std::u16string::npos)
        << error.what() << " should mention " << oleaut::ToUtf8(mention);
  }
}

}  // namespace ado::testing
