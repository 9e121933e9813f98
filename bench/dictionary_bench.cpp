// Dictionary lookups by a differently cased key: the time per lookup should not grow with the
// number of keys (hashed on the upper-cased key, not a scan).
#include <benchmark/benchmark.h>

#include <string>

#include "platform/oleaut/text.h"
#include "platform/vdl/dictionary.h"

namespace {

void BM_DictionaryItemNoCase(benchmark::State& state) {
  auto dict = com::Make<vdl::Dictionary>();
  const auto count = static_cast<int>(state.range(0));
  for (int i = 0; i < count; ++i) {
    dict->SetItem(oleaut::FromUtf8("FColumnName" + std::to_string(i)), i);
  }
  const oleaut::Bstr probe = oleaut::FromUtf8("fcolumnname" + std::to_string(count / 2));
  for (auto _ : state) benchmark::DoNotOptimize(dict->Item(probe));
}
BENCHMARK(BM_DictionaryItemNoCase)->Arg(16)->Arg(1024)->Arg(65536);

}  // namespace

BENCHMARK_MAIN();
