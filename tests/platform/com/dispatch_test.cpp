#include "platform/com/dispatch.h"

#include <gtest/gtest.h>

#include "com_error_of.h"
#include "platform/com/bind.h"
#include "platform/com/hresult.h"
#include "platform/oleaut/com_error.h"

namespace {

using com::In;
using com::InOut;
using com::Optional;
using oleaut::Bstr;
using oleaut::ComError;
using oleaut::Variant;
using oleaut::VarType;

class Holder : public com::Unknown {};
class Stranger : public com::Unknown {};

constexpr com::ParamInfo kDescribeParams[] = {
    In(u"sName", VarType::String), In(u"lCount", VarType::Long), In(u"bFlag", VarType::Boolean)};
constexpr com::ParamInfo kScaleParams[] = {
    In(u"dValue", VarType::Double),
    Optional(u"lFactor", VarType::Long, com::DefaultValue::Long(2))};
constexpr com::ParamInfo kIncrementParams[] = {InOut(u"lCounter", VarType::Long)};
constexpr com::ParamInfo kHoldParams[] = {
    Optional(u"oHolder", VarType::Object, com::DefaultValue::Nothing(), u"Holder")};
constexpr com::MemberInfo kMembers[] = {
    {u"Kind", com::MemberKind::PropertyGet, {}, VarType::Long, {}},
    {u"Describe", com::MemberKind::Method, kDescribeParams, VarType::String, {}},
    {u"Scale", com::MemberKind::Method, kScaleParams, VarType::Double, {}},
    {u"Increment", com::MemberKind::Method, kIncrementParams, VarType::Empty, {}},
    {u"Hold", com::MemberKind::Method, kHoldParams, VarType::Boolean, {}},
};
constexpr com::InterfaceInfo kInterface{
    u"_Sample", com::Guid::Parse("{0B2D1E1A-5C51-4C1F-9B0B-3F6A2C7D8E90}"), kMembers};

class Sample : public com::Dispatch {
 public:
  Sample() : Dispatch(Table()) {}

  std::int32_t Kind() const { return 7; }
  Bstr Describe(const Bstr& sName, std::int32_t lCount, bool bFlag) {
    return sName + u":" + oleaut::FromUtf8(std::to_string(lCount)) + (bFlag ? u"+" : u"-");
  }
  double Scale(double dValue, std::int32_t lFactor) { return dValue * lFactor; }
  void Increment(Variant& lCounter) { lCounter = lCounter.AsLong() + 1; }
  bool Hold(const com::Ptr<Holder>& oHolder) { return static_cast<bool>(oHolder); }

 private:
  static const com::DispatchTable& Table() {
    static constexpr com::Binding kBindings[] = {
        com::Bind<&Sample::Kind>(u"Kind"),   com::Bind<&Sample::Describe>(u"Describe"),
        com::Bind<&Sample::Scale>(u"Scale"), com::Bind<&Sample::Increment>(u"Increment"),
        com::Bind<&Sample::Hold>(u"Hold"),
    };
    static_assert(com::BindingsMatch(kInterface, kBindings));
    static const com::DispatchTable table(u"Tests.Sample", kInterface, kBindings);
    return table;
  }
};

using tavtest::ErrorOf;

bool Mentions(const ComError& error, std::string_view text) {
  return oleaut::ToUtf8(error.Description()).find(text) != std::string::npos;
}

class DispatchTest : public ::testing::Test {
 protected:
  com::Ptr<Sample> sample_ = com::Make<Sample>();
};

TEST_F(DispatchTest, NamesAreFoundWithoutRegardToCaseAndIdsFollowInterfaceOrder) {
  EXPECT_EQ(sample_->GetIDsOfNames(u"Kind"), com::kDispIdBase);
  EXPECT_EQ(sample_->GetIDsOfNames(u"describe"), com::kDispIdBase + 1);
  EXPECT_EQ(sample_->GetIDsOfNames(u"INCREMENT"), com::kDispIdBase + 3);
  EXPECT_EQ(sample_->Member(com::kDispIdBase + 2).name, u"Scale");

  const ComError unknown = ErrorOf([&] { sample_->GetIDsOfNames(u"Descri"); });
  EXPECT_EQ(unknown.VbNumber(), oleaut::kNoSuchMember);
  EXPECT_TRUE(Mentions(unknown, "'Descri'"));
  EXPECT_EQ(ErrorOf([&] { sample_->Member(com::kDispIdBase + 5); }).Number(),
            com::DISP_E_MEMBERNOTFOUND);
}

TEST_F(DispatchTest, CallsMethodsAndPropertiesWithArgumentsCoercedToTheirTypes) {
  EXPECT_EQ(sample_->Call(u"Kind"), Variant(7));
  EXPECT_EQ(sample_->Call(u"Describe", u"a", 3, true), Variant(u"a:3+"));
  // "12" to Long, 0 to Boolean, a Long to String: the runtime's conversions.
  EXPECT_EQ(sample_->Call(u"Describe", 5, u"12", 0), Variant(u"5:12-"));
  EXPECT_EQ(sample_->Invoke(com::kDispIdBase, com::InvokeKind::PropertyGet, {}), Variant(7));
}

TEST_F(DispatchTest, OptionalParametersTakeTheirDefaultWhenLeftOutOrMissing) {
  EXPECT_EQ(sample_->Call(u"Scale", 1.5), Variant(3.0));
  EXPECT_EQ(sample_->Call(u"Scale", 1.5, oleaut::kMissing), Variant(3.0));
  EXPECT_EQ(sample_->Call(u"Scale", 1.5, 4), Variant(6.0));
  EXPECT_EQ(sample_->Call(u"Hold"), Variant(false));
}

TEST_F(DispatchTest, WrongArgumentCountSaysExpectedAndGiven) {
  const ComError too_few = ErrorOf([&] { sample_->Call(u"Describe", u"a"); });
  EXPECT_EQ(too_few.VbNumber(), 450);
  EXPECT_TRUE(
      Mentions(too_few, "Sample.Describe takes 3 arguments (sName, lCount, bFlag), 1 given"))
      << too_few.what();
  const ComError too_many = ErrorOf([&] { sample_->Call(u"Scale", 1, 2, 3); });
  EXPECT_TRUE(Mentions(too_many, "takes 1 to 2 arguments (dValue, [lFactor]), 3 given"))
      << too_many.what();
  const ComError missing = ErrorOf([&] { sample_->Call(u"Describe", oleaut::kMissing, 1, true); });
  EXPECT_EQ(missing.VbNumber(), 449);
  EXPECT_TRUE(Mentions(missing, "sName"));
}

TEST_F(DispatchTest, UnconvertibleArgumentNamesTheParameterAndKeepsTheRuntimeError) {
  const ComError mismatch = ErrorOf([&] { sample_->Call(u"Describe", u"a", u"abc", true); });
  EXPECT_EQ(mismatch.VbNumber(), oleaut::kTypeMismatch);
  EXPECT_TRUE(Mentions(mismatch, "lCount (Long) of Sample.Describe")) << mismatch.what();
  EXPECT_EQ(ErrorOf([&] { sample_->Call(u"Describe", u"a", 1e12, true); }).VbNumber(),
            oleaut::kOverflow);
  EXPECT_EQ(ErrorOf([&] { sample_->Call(u"Describe", u"a", oleaut::kNull, true); }).VbNumber(),
            oleaut::kInvalidUseOfNull);
}

TEST_F(DispatchTest, ByReferenceParametersAreWrittenBackAndByValueOnesAreNot) {
  std::vector<Variant> args{Variant(41)};
  sample_->Invoke(u"Increment", args);
  EXPECT_EQ(args[0], Variant(42));
  // Coerced to Long for the call, and the callee's value comes back.
  args[0] = Variant(u"9");
  sample_->Invoke(u"Increment", args);
  EXPECT_EQ(args[0], Variant(10));

  std::vector<Variant> by_value{Variant(u"2.5"), Variant(u"3")};
  EXPECT_EQ(sample_->Invoke(u"Scale", by_value), Variant(7.5));
  EXPECT_EQ(by_value[0], Variant(u"2.5"));
}

TEST_F(DispatchTest, ObjectParametersTakeNothingEmptyOrTheirClassOnly) {
  EXPECT_EQ(sample_->Call(u"Hold", com::Make<Holder>()), Variant(true));
  EXPECT_EQ(sample_->Call(u"Hold", Variant::Nothing()), Variant(false));
  EXPECT_EQ(sample_->Call(u"Hold", Variant()), Variant(false));
  const ComError stranger = ErrorOf([&] { sample_->Call(u"Hold", com::Make<Stranger>()); });
  EXPECT_EQ(stranger.VbNumber(), oleaut::kTypeMismatch);
  EXPECT_TRUE(Mentions(stranger, "oHolder of Sample.Hold must be a Holder object"));
  EXPECT_EQ(ErrorOf([&] { sample_->Call(u"Hold", 5); }).VbNumber(), oleaut::kTypeMismatch);
}

TEST_F(DispatchTest, AssigningToAMemberIsRefused) {
  std::vector<Variant> args{Variant(1)};
  const ComError error =
      ErrorOf([&] { sample_->Invoke(com::kDispIdBase, com::InvokeKind::PropertyPut, args); });
  EXPECT_EQ(error.Number(), com::DISP_E_MEMBERNOTFOUND);
  EXPECT_TRUE(Mentions(error, "Sample.Kind is a read-only property"));
}

}  // namespace
