// Late-bound Invoke by name against a direct C++ call of the same member, with three arguments.
//
// The member builds the statement text a print-counter lookup runs, so each call does the small
// amount of real work a typical member does before it reaches the database.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/com/bind.h"
#include "platform/com/dispatch.h"

namespace {

using oleaut::Bstr;
using oleaut::Variant;
using oleaut::VarType;

constexpr com::ParamInfo kParams[] = {com::In(u"sDsn", VarType::String),
                                      com::In(u"sInterID", VarType::String),
                                      com::In(u"lBillTranType", VarType::Long)};
constexpr com::MemberInfo kMembers[] = {
    {u"TransMode", com::MemberKind::PropertyGet, {}, VarType::Long, {}},
    {u"CountQuery", com::MemberKind::Method, kParams, VarType::String, {}},
};
constexpr com::InterfaceInfo kInterface{
    u"_Counter", com::Guid::Parse("{7C1E9F0F-1012-42E6-B5FA-56DB4924055A}"), kMembers};

class Counter : public com::Dispatch {
 public:
  Counter() : Dispatch(Table()) {}

  std::int32_t TransMode() const { return 3; }
  Bstr CountQuery(const Bstr& sDsn, const Bstr& sInterID, std::int32_t lBillTranType) {
    Bstr sql = u"select FPrintCount from ICPrintCount where FInterID=";
    sql += sInterID;
    sql += u" and FTranType=";
    for (char c : std::to_string(lBillTranType))
      sql += static_cast<char16_t>(c);
    sql += u" -- ";
    sql += sDsn;
    return sql;
  }

 private:
  static const com::DispatchTable& Table() {
    static constexpr com::Binding kBindings[] = {com::Bind<&Counter::TransMode>(u"TransMode"),
                                                 com::Bind<&Counter::CountQuery>(u"CountQuery")};
    static_assert(com::BindingsMatch(kInterface, kBindings));
    static const com::DispatchTable table(u"Bench.Counter", kInterface, kBindings);
    return table;
  }
};

void DirectCall(benchmark::State& state) {
  const com::Ptr<Counter> counter = com::Make<Counter>();
  const Bstr dsn = u"demo";
  const Bstr inter_id = u"1001";
  for (auto _ : state)
    benchmark::DoNotOptimize(counter->CountQuery(dsn, inter_id, 21));
}
BENCHMARK(DirectCall);

void InvokeByName(benchmark::State& state) {
  const com::Ptr<com::Dispatch> counter = com::Make<Counter>();
  std::vector<Variant> args{Variant(u"demo"), Variant(u"1001"), Variant(21)};
  for (auto _ : state)
    benchmark::DoNotOptimize(counter->Invoke(u"countquery", args));
}
BENCHMARK(InvokeByName);

void InvokeByDispId(benchmark::State& state) {
  const com::Ptr<com::Dispatch> counter = com::Make<Counter>();
  const com::DispId id = counter->GetIDsOfNames(u"CountQuery");
  std::vector<Variant> args{Variant(u"demo"), Variant(u"1001"), Variant(21)};
  for (auto _ : state) {
    benchmark::DoNotOptimize(counter->Invoke(id, com::InvokeKind::Method, args));
  }
}
BENCHMARK(InvokeByDispId);

// Arguments of other types than declared: a Long for the String, a String for the Long.
void InvokeByNameWithCoercion(benchmark::State& state) {
  const com::Ptr<com::Dispatch> counter = com::Make<Counter>();
  std::vector<Variant> args{Variant(u"demo"), Variant(1001), Variant(u"21")};
  for (auto _ : state)
    benchmark::DoNotOptimize(counter->Invoke(u"CountQuery", args));
}
BENCHMARK(InvokeByNameWithCoercion);

}  // namespace

BENCHMARK_MAIN();
