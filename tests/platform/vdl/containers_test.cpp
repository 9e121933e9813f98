#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "com_error_of.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/default_value.h"
#include "platform/vdl/dictionary.h"
#include "platform/vdl/list.h"
#include "platform/vdl/utility.h"

namespace vdl {
namespace {

using oleaut::Variant;

using tavtest::VbErrorOf;

using Field = tavtest::DefaultValueOf;

TEST(Dictionary, KeysIgnoreCaseAndKeepOrder) {
  auto dict = com::Make<Dictionary>();
  dict->SetItem(u"FTemplateID", 7);
  dict->SetItem(u"FLookUpCls", u"t_Item");
  dict->SetItem(u"Ä", 1);
  EXPECT_EQ(dict->Item(u"ftemplateid"), Variant(7));
  EXPECT_EQ(dict->Item(u"FLookupCls"), Variant(u"t_Item"));
  EXPECT_TRUE(dict->Exists(u"ä"));
  EXPECT_FALSE(dict->Exists(u"FTemplate"));

  dict->SetItem(u"FTEMPLATEID", 8);  // replaces, keeps the first spelling and position
  EXPECT_EQ(dict->Count(), 3);
  EXPECT_EQ(dict->KeyAt(0), u"FTemplateID");
  EXPECT_EQ(dict->ItemAt(0), Variant(8));
  EXPECT_EQ(dict->KeyAt(1), u"FLookUpCls");
  EXPECT_EQ(VbErrorOf([&] { dict->KeyAt(3); }), oleaut::kSubscriptOutOfRange);
}

TEST(Dictionary, AddKeepsTheFirstItemAndMissingKeysAddNothing) {
  auto dict = com::Make<Dictionary>();
  dict->Add(u"a", 1);
  dict->Add(u"A", 2);
  EXPECT_EQ(dict->Item(u"a"), Variant(1));
  EXPECT_EQ(dict->Count(), 1);

  EXPECT_TRUE(dict->Item(u"missing").IsEmpty());
  EXPECT_EQ(dict->Count(), 1);
  EXPECT_TRUE(dict->GetValue(u"missing", Variant::Nothing()).IsNothing());
  EXPECT_EQ(dict->GetValue(u"missing", u""), Variant(u""));
  EXPECT_EQ(dict->GetValue(u"A", 0), Variant(1));
  dict->SetItem(u"n", oleaut::kNull);
  EXPECT_TRUE(dict->GetValue(u"N", 0).IsNull());  // a stored Null is an item, not a gap

  auto inner = com::Make<Dictionary>();
  dict->SetItem(u"child", inner);
  EXPECT_EQ(dict->Item(u"CHILD").AsObjectOf<Dictionary>().Get(), inner.Get());
}

TEST(List, BoundsAndSubscriptErrors) {
  auto list = com::Make<List>();
  EXPECT_EQ(list->LowerBound(), 1);
  EXPECT_EQ(list->UpperBound(), 0);
  list->Add(u"x");
  list->Add(oleaut::kNull);
  EXPECT_EQ(list->UpperBound(), 2);
  EXPECT_EQ(list->Item(1), Variant(u"x"));
  EXPECT_TRUE(list->Item(2).IsNull());
  for (std::int32_t bad : {0, 3, -1}) {
    const auto e = tavtest::ErrorOf([&] { list->Item(bad); });
    EXPECT_EQ(e.VbNumber(), oleaut::kSubscriptOutOfRange);
    EXPECT_NE(oleaut::ToUtf8(e.Description()).find(std::to_string(bad) + " is outside 1..2"),
              std::string::npos)
        << e.what();
  }
}

TEST(Utility, ValueOrDefault) {
  const Utility& utility = Utility::Current();
  EXPECT_EQ(&utility, &Utility::Current());
  const Utility* other = nullptr;
  std::thread([&] { other = &Utility::Current(); }).join();
  EXPECT_NE(other, &utility);

  const std::pair<Variant, Variant> cases[] = {
      {oleaut::kNull, u""},
      {Variant(), u""},
      {0, 0},
      {u"", u""},
      {u"1", u"1"},
      {com::Make<Field>(Variant(oleaut::kNull)), u""},
      {com::Make<Field>(Variant(12)), 12},
      {com::Make<Field>(Variant()), u""},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(utility.ValueOrDefault(value, u""), expected);
  }
  auto plain = com::Make<Dictionary>();
  EXPECT_EQ(utility.ValueOrDefault(plain, u""), Variant(plain));
  EXPECT_TRUE(utility.ValueOrDefault(Variant::Nothing(), u"").IsNothing());
}

}  // namespace
}  // namespace vdl
