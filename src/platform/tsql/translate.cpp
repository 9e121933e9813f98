#include <list>
#include <mutex>
#include <unordered_map>

#include "platform/tsql/generator.h"
#include "platform/tsql/parser.h"
#include "platform/tsql/program.h"
#include "platform/tsql/resolver.h"

namespace tsql {
namespace {

// Translations of recent batches, most recently used first. The component builds statements
// from ids and names, so the set of texts is open-ended: the cache keeps a bounded number.
class TranslationCache {
 public:
  static constexpr std::size_t kCapacity = 1024;

  std::shared_ptr<const Program> Find(std::u16string_view batch) {
    std::lock_guard lock(mutex_);
    auto found = index_.find(batch);
    if (found == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, found->second);
    return found->second->second;
  }

  // A translation made against other tables takes the place of the one before.
  void Add(std::shared_ptr<const Program> program) {
    std::lock_guard lock(mutex_);
    if (auto found = index_.find(program->source); found != index_.end()) {
      found->second->second = std::move(program);
      order_.splice(order_.begin(), order_, found->second);
      return;
    }
    order_.emplace_front(program->source, std::move(program));
    index_.emplace(order_.front().first, order_.begin());
    if (order_.size() > kCapacity) {
      index_.erase(order_.back().first);
      order_.pop_back();
    }
  }

 private:
  using Entry = std::pair<std::u16string, std::shared_ptr<const Program>>;
  std::mutex mutex_;
  std::list<Entry> order_;
  // Keys view the texts held by `order_`, which never move while listed.
  std::unordered_map<std::u16string_view, std::list<Entry>::iterator> index_;
};

TranslationCache& Cache() {
  static TranslationCache cache;
  return cache;
}

// A translation still holds when it was made with a schema as this one is, against tables of the
// same columns as they have now.
bool StillHolds(const Program& program, Schema* schema) {
  if (program.typed != (schema != nullptr)) return false;
  for (const SchemaDependency& dependency : program.dependencies) {
    const std::shared_ptr<const TableColumns> now = schema->Columns(dependency.name);
    if (!SameColumns(dependency.seen.get(), now.get())) return false;
  }
  return true;
}

void RunNodes(const std::vector<Node>& nodes, Executor& executor) {
  for (const Node& node : nodes) {
    if (const auto* statement = std::get_if<SqlStatement>(&node.item)) {
      executor.Execute(*statement);
      continue;
    }
    const IfNode& branch = *std::get<std::unique_ptr<IfNode>>(node.item);
    RunNodes(executor.Test(branch.condition) ? branch.then_nodes : branch.else_nodes, executor);
  }
}

}  // namespace

std::shared_ptr<const Program> TranslateUncached(std::u16string_view batch, Schema* schema) {
  const ParsedBatch parsed = Parse(batch);
  return std::make_shared<const Program>(Generate(batch, parsed, schema));
}

std::shared_ptr<const Program> Translate(std::u16string_view batch, Schema* schema) {
  std::shared_ptr<const Program> cached = Cache().Find(batch);
  if (cached && StillHolds(*cached, schema)) return cached;
  std::shared_ptr<const Program> program = TranslateUncached(batch, schema);
  Cache().Add(program);
  return program;
}

void Run(const Program& program, Executor& executor) {
  RunNodes(program.nodes, executor);
}

}  // namespace tsql
