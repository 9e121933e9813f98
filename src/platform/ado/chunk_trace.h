// The chunk trace: how a caller reads long values in pieces (Field.GetChunk). While a
// ScopedChunkTrace lives, the length of every piece GetChunk hands out on its thread is
// recorded, so that a test sees a member read a picture 100 bytes at a time without mocking the
// field. With no capture alive it costs one test of a pointer per piece.
#pragma once

#include <cstddef>
#include <vector>

namespace ado {

class ScopedChunkTrace {
 public:
  ScopedChunkTrace();
  ScopedChunkTrace(const ScopedChunkTrace&) = delete;
  ScopedChunkTrace& operator=(const ScopedChunkTrace&) = delete;
  ~ScopedChunkTrace();

  // The lengths of the pieces handed out, in order (pieces of text in code units).
  const std::vector<std::size_t>& Lengths() const noexcept { return lengths_; }

 private:
  friend void TraceChunk(std::size_t length);
  std::vector<std::size_t> lengths_;
  ScopedChunkTrace* outer_;
};

namespace detail {
extern thread_local ScopedChunkTrace* chunk_trace_capture;
}  // namespace detail

// Hands the length of a piece to the captures of this thread.
void TraceChunk(std::size_t length);

}  // namespace ado
