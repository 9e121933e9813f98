// The chunk trace: how a caller reads long values in pieces (Field.GetChunk). While a
// ScopedChunkTrace lives, the length of every piece GetChunk hands out on its thread is
// recorded, so that a test sees a member read a picture 100 bytes at a time without mocking the
// field. With no capture alive it costs one test of a pointer per piece.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/oleaut/thread_capture.h"

namespace ado {

class ScopedChunkTrace : public oleaut::ThreadCapture<std::size_t> {
 public:
  ScopedChunkTrace();

  // The lengths of the pieces handed out, in order (pieces of text in code units).
  const std::vector<std::size_t>& Lengths() const noexcept { return Records(); }
};

namespace detail {
extern thread_local oleaut::ThreadCapture<std::size_t>* chunk_trace_capture;
}  // namespace detail

// Hands the length of a piece to the captures of this thread.
void TraceChunk(std::size_t length);

}  // namespace ado
