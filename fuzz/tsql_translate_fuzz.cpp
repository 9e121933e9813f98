// Any text either translates into SQLite statements or raises a ComError; translating it twice
// gives the same statements, and the cache hands back the translation it made. A few tables
// are known, so that column references resolve to types.
#include <cstdlib>
#include <map>

#include "fuzz_input.h"
#include "platform/oleaut/com_error.h"
#include "platform/tsql/program.h"
#include "platform/tsql/schema.h"

namespace {

class FixedSchema : public tsql::Schema {
 public:
  FixedSchema() {
    using tsql::SqlType;
    Add(u"t",
        {{u"a", SqlType::Int()}, {u"b", SqlType::Varchar(10)}, {u"c", SqlType::Decimal(28, 10)}});
    Add(u"u", {{u"a", SqlType::Varchar(20)},
               {u"d", SqlType::DateTime()},
               {u"m", *tsql::ParseDeclaredType("money")},
               {u"tm", *tsql::ParseDeclaredType("time(3)")}});
    Add(u"#tmp", {{u"FID", SqlType::Int()}, {u"FValue", SqlType::Decimal(10, 2)}});
  }

  std::shared_ptr<const tsql::TableColumns> Columns(std::u16string_view name) override {
    const auto found = tables_.find(tsql::LowerAscii(name));
    return found == tables_.end() ? nullptr : found->second;
  }

 private:
  void Add(std::u16string name, tsql::TableColumns columns) {
    tables_[std::move(name)] = std::make_shared<const tsql::TableColumns>(std::move(columns));
  }
  std::map<std::u16string, std::shared_ptr<const tsql::TableColumns>> tables_;
};

void Collect(const std::vector<tsql::Node>& nodes, std::string& out) {
  tsql::ForEachStatement(nodes, [&](const tsql::SqlStatement& statement) {
    out += statement.sql;
    out += '\n';
    for (const tsql::SqlStatement& step : statement.steps) {
      out += step.sql;
      out += '\n';
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FixedSchema schema;
  const std::u16string text = FuzzText(data, size);
  try {
    const auto first = tsql::TranslateUncached(text, &schema);
    const auto cached = tsql::Translate(text, &schema);
    std::string a;
    std::string b;
    Collect(first->nodes, a);
    Collect(cached.program->nodes, b);
    if (a != b || tsql::Translate(text, &schema).program != cached.program) std::abort();
  } catch (const oleaut::ComError&) {
  }
  return 0;
}
