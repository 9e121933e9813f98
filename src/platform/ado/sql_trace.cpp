#include "platform/ado/sql_trace.h"

#include <fmt/format.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "platform/io/regular_file.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace ado {
namespace detail {
std::atomic<bool> sql_trace_to_destination{false};
thread_local oleaut::ThreadCapture<SqlTraceEntry>* sql_trace_capture = nullptr;
}  // namespace detail

namespace {

struct Destination {
  std::mutex mutex;
  std::string target;  // "", "stderr" or a path
  bool set_by_program = false;
  bool warned = false;  // a target that cannot be written is reported once, not per statement
};

Destination& GetDestination() {
  static Destination destination;
  return destination;
}

void Apply(Destination& d, const std::string& target) {
  if (target != d.target) d.warned = false;
  d.target = target;
  detail::sql_trace_to_destination.store(!target.empty(), std::memory_order_relaxed);
}

std::string Timestamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}.{:03}", local.tm_year + 1900,
                     local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                     ms);
}

void Write(Destination& d, const SqlTraceEntry& entry) {
  const std::string text =
      fmt::format("-- {} {}\n-- as built:\n{}\n-- as run:\n{}\n\n", Timestamp(),
                  oleaut::ToUtf8(entry.provider), oleaut::ToUtf8(entry.as_built), entry.as_run);
  if (d.target == "stderr") {
    std::fwrite(text.data(), 1, text.size(), stderr);
    return;
  }
  try {
    io::WriteAll(io::OpenForAppend(d.target), text, d.target);
  } catch (const oleaut::ComError& error) {
    if (d.warned) return;
    d.warned = true;
    const std::string message =
        "warning: the SQL trace is not written: " + oleaut::ToUtf8(error.Description()) + "\n";
    std::fwrite(message.data(), 1, message.size(), stderr);
  }
}

}  // namespace

void SetSqlTraceDestination(const std::string& destination) {
  Destination& d = GetDestination();
  std::lock_guard lock(d.mutex);
  d.set_by_program = true;
  Apply(d, destination);
}

void RefreshSqlTraceFromEnvironment() {
  Destination& d = GetDestination();
  std::lock_guard lock(d.mutex);
  if (d.set_by_program) return;
  const char* value = std::getenv("TAV_SQL_TRACE");
  Apply(d, value ? value : "");
}

ScopedSqlTrace::ScopedSqlTrace() : ThreadCapture(detail::sql_trace_capture) {}

SqlTraceCaptureHold::SqlTraceCaptureHold() noexcept : held_(detail::sql_trace_capture) {
  detail::sql_trace_capture = nullptr;
}

SqlTraceCaptureHold::~SqlTraceCaptureHold() {
  detail::sql_trace_capture = held_;
}

std::vector<std::u16string> ScopedSqlTrace::Batches() const {
  std::vector<std::u16string> batches;
  batches.reserve(Entries().size());
  for (const SqlTraceEntry& entry : Entries())
    batches.push_back(entry.as_built);
  return batches;
}

void TraceSql(SqlTraceEntry entry) {
  try {
    if (detail::sql_trace_to_destination.load(std::memory_order_relaxed)) {
      Destination& d = GetDestination();
      std::lock_guard lock(d.mutex);
      if (!d.target.empty()) Write(d, entry);
    }
    ScopedSqlTrace::KeepInAll(detail::sql_trace_capture, entry);
  } catch (...) {
    // A trace that cannot be written must not fail the statement it describes.
  }
}

}  // namespace ado
