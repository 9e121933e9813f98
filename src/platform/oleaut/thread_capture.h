// A capture of what code records on one thread (statements traced, notes, events), kept in
// memory while the capture lives so that a test or a tool can look at it afterwards. Captures
// nest: each kind has one thread-local pointer to the innermost live capture, and every capture
// remembers the one it was made inside. With no capture live, recording costs one test of that
// pointer.
#pragma once

#include <utility>
#include <vector>

namespace oleaut {

template <class Record>
class ThreadCapture {
 public:
  ThreadCapture(const ThreadCapture&) = delete;
  ThreadCapture& operator=(const ThreadCapture&) = delete;

  const std::vector<Record>& Records() const noexcept { return records_; }
  void Clear() noexcept { records_.clear(); }

  // Hands `record` to `innermost` and to every capture it was made inside.
  static void KeepInAll(ThreadCapture* innermost, const Record& record) {
    for (ThreadCapture* capture = innermost; capture != nullptr; capture = capture->outer_)
      capture->records_.push_back(record);
  }
  // Hands `record` to `capture` alone.
  static void KeepIn(ThreadCapture& capture, Record record) {
    capture.records_.push_back(std::move(record));
  }

 protected:
  // Becomes the thread's innermost capture of its kind, `innermost` (a thread-local pointer).
  explicit ThreadCapture(ThreadCapture*& innermost) noexcept
      : innermost_(innermost), outer_(innermost) {
    innermost = this;
  }
  ~ThreadCapture() { innermost_ = outer_; }

 private:
  ThreadCapture*& innermost_;
  ThreadCapture* outer_;
  std::vector<Record> records_;
};

}  // namespace oleaut
