#include "platform/ado/chunk_trace.h"

namespace ado {

namespace detail {
thread_local oleaut::ThreadCapture<std::size_t>* chunk_trace_capture = nullptr;
}  // namespace detail

ScopedChunkTrace::ScopedChunkTrace() : ThreadCapture(detail::chunk_trace_capture) {}

void TraceChunk(std::size_t length) {
  ScopedChunkTrace::KeepInAll(detail::chunk_trace_capture, length);
}

}  // namespace ado
