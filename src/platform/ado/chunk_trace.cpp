#include "platform/ado/chunk_trace.h"

namespace ado {

namespace detail {
thread_local ScopedChunkTrace* chunk_trace_capture = nullptr;
}  // namespace detail

ScopedChunkTrace::ScopedChunkTrace() : outer_(detail::chunk_trace_capture) {
  detail::chunk_trace_capture = this;
}

ScopedChunkTrace::~ScopedChunkTrace() {
  detail::chunk_trace_capture = outer_;
}

void TraceChunk(std::size_t length) {
  for (ScopedChunkTrace* capture = detail::chunk_trace_capture; capture != nullptr;
       capture = capture->outer_) {
    capture->lengths_.push_back(length);
  }
}

}  // namespace ado
