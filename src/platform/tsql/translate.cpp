#include <algorithm>
#include <cstdlib>
#include <list>
#include <mutex>
#include <unordered_map>

#include "platform/oleaut/text.h"
#include "platform/tsql/generator.h"
#include "platform/tsql/parser.h"
#include "platform/tsql/program.h"
#include "platform/tsql/resolver.h"
#include "platform/tsql/shape.h"

namespace tsql {
namespace {

// Values by key, most recently used first, at most `capacity` of them. The component builds
// statements from ids and names, so the set of texts is open-ended.
template <typename Value>
class LruMap {
 public:
  explicit LruMap(std::size_t capacity) : capacity_(capacity) {}

  Value* Find(std::u16string_view key) {
    auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    order_.splice(order_.begin(), order_, found->second);
    return &found->second->second;
  }

  Value& Put(std::u16string_view key, Value value) {
    if (Value* found = Find(key)) {
      *found = std::move(value);
      return *found;
    }
    order_.emplace_front(std::u16string(key), std::move(value));
    index_.emplace(order_.front().first, order_.begin());
    if (order_.size() > capacity_) {
      index_.erase(order_.back().first);
      order_.pop_back();
    }
    return order_.front().second;
  }

 private:
  using Entry = std::pair<std::u16string, Value>;
  std::size_t capacity_;
  std::list<Entry> order_;
  // Keys view the texts held by `order_`, which never move while listed.
  std::unordered_map<std::u16string_view, typename std::list<Entry>::iterator> index_;
};

// Translations by exact text (a lookup, no tokens), and by shape (the tokens with the literals
// that do not change the translation taken out). A shape keeps a few translations: the same
// shape translated against other tables, or with other values of its fixed literals (ORDER BY 1
// and ORDER BY 2).
class TranslationCache {
 public:
  static constexpr std::size_t kCapacity = 1024;
  static constexpr std::size_t kVariantsPerShape = 8;

  std::optional<Translation> FindText(std::u16string_view batch) {
    std::lock_guard lock(mutex_);
    const Translation* found = texts_.Find(batch);
    if (!found) return std::nullopt;
    return *found;
  }

  std::vector<std::shared_ptr<const Program>> FindShape(std::u16string_view shape) {
    std::lock_guard lock(mutex_);
    const auto* found = shapes_.Find(shape);
    if (!found) return {};
    return *found;
  }

  void Add(std::u16string_view batch, std::u16string_view shape, const Translation& translation) {
    std::lock_guard lock(mutex_);
    texts_.Put(batch, translation);
    auto* variants = shapes_.Find(shape);
    if (!variants) variants = &shapes_.Put(shape, {});
    variants->insert(variants->begin(), translation.program);
    if (variants->size() > kVariantsPerShape) variants->pop_back();
  }

 private:
  std::mutex mutex_;
  LruMap<Translation> texts_{kCapacity};
  LruMap<std::vector<std::shared_ptr<const Program>>> shapes_{kCapacity};
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

std::shared_ptr<const Program> TranslateTokens(std::u16string_view batch,
                                               const std::vector<Token>& tokens, Schema* schema) {
  const ParsedBatch parsed = Parse(batch, tokens);
  Program program = Generate(batch, parsed, schema);
  FixUnboundLiterals(program, tokens);
  return std::make_shared<const Program>(std::move(program));
}

// How a run of nodes ended: at their end, or at a BREAK, CONTINUE or RETURN.
enum class Flow : std::uint8_t { kNext, kBreak, kContinue, kReturn };

Flow RunNodes(const std::vector<Node>& nodes, Executor& executor);

Flow RunLoop(const WhileNode& loop, Executor& executor) {
  while (executor.Test(loop.condition).value_or(false)) {
    const Flow flow = RunNodes(loop.body, executor);
    if (flow == Flow::kBreak) break;
    if (flow == Flow::kReturn) return flow;
  }
  return Flow::kNext;
}

Flow RunTry(const TryNode& block, Executor& executor) {
  std::exception_ptr error;
  Flow flow = Flow::kNext;
  executor.BeginTry();
  try {
    flow = RunNodes(block.try_nodes, executor);
  } catch (...) {
    error = std::current_exception();
  }
  executor.EndTry();
  if (!error) return flow;
  if (!executor.Catch(error)) std::rethrow_exception(error);
  try {
    flow = RunNodes(block.catch_nodes, executor);
  } catch (...) {
    executor.EndCatch();
    throw;
  }
  executor.EndCatch();
  return flow;
}

Flow RunNodes(const std::vector<Node>& nodes, Executor& executor) {
  for (const Node& node : nodes) {
    Flow flow = Flow::kNext;
    if (const auto* statement = std::get_if<SqlStatement>(&node.item)) {
      executor.Execute(*statement);
    } else if (const auto* branch = std::get_if<std::unique_ptr<IfNode>>(&node.item)) {
      const std::optional<bool> chosen = executor.Test((*branch)->condition);
      if (chosen)
        flow = RunNodes(*chosen ? (*branch)->then_nodes : (*branch)->else_nodes, executor);
    } else if (const auto* loop = std::get_if<std::unique_ptr<WhileNode>>(&node.item)) {
      flow = RunLoop(**loop, executor);
    } else if (const auto* block = std::get_if<std::unique_ptr<TryNode>>(&node.item)) {
      flow = RunTry(**block, executor);
    } else {
      switch (std::get<Jump>(node.item)) {
        case Jump::kBreak:
          return Flow::kBreak;
        case Jump::kContinue:
          return Flow::kContinue;
        case Jump::kReturn:
          return Flow::kReturn;
      }
    }
    if (flow != Flow::kNext) return flow;
  }
  return Flow::kNext;
}

}  // namespace

std::u16string_view Translation::SourceOf(std::u16string_view batch,
                                          const SqlStatement& statement) const {
  const auto ordinal = static_cast<std::size_t>(statement.ordinal);
  if (!binding || ordinal >= binding->spans.size()) return batch;
  const auto [offset, end] = binding->spans[ordinal];
  return batch.substr(std::min<std::size_t>(offset, batch.size()), end - offset);
}

std::shared_ptr<const Program> TranslateUncached(std::u16string_view batch, Schema* schema) {
  return TranslateTokens(batch, Tokenize(batch), schema);
}

Translation Translate(std::u16string_view batch, Schema* schema) {
  TranslationCache& cache = Cache();
  if (std::optional<Translation> known = cache.FindText(batch)) {
    if (StillHolds(*known->program, schema)) return *std::move(known);
  }
  const std::vector<Token> tokens = Tokenize(batch);
  const std::u16string shape = ShapeKey(tokens);
  for (const std::shared_ptr<const Program>& program : cache.FindShape(shape)) {
    if (!FixedLiteralsMatch(*program, tokens) || !StillHolds(*program, schema)) continue;
    // Not kept by its text: a text that differs from others of its shape only in its values is
    // seldom run again, and would push out the texts that are.
    return Translation{program, MakeBinding(*program, tokens)};
  }
  std::shared_ptr<const Program> program = TranslateTokens(batch, tokens, schema);
  Translation translation{program, MakeBinding(*program, tokens)};
  cache.Add(batch, shape, translation);
  return translation;
}

void Run(const Program& program, Executor& executor) {
  RunNodes(program.nodes, executor);
}

}  // namespace tsql
