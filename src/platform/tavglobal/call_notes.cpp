#include "platform/tavglobal/call_notes.h"

namespace tavglobal {
namespace {

thread_local ScopedCallNotes* innermost = nullptr;

}  // namespace

ScopedCallNotes::ScopedCallNotes() : outer_(innermost) {
  innermost = this;
}

ScopedCallNotes::~ScopedCallNotes() {
  innermost = outer_;
}

bool CallNotesWanted() noexcept {
  return innermost != nullptr;
}

void NoteForCaller(const CallNote& note) {
  for (ScopedCallNotes* capture = innermost; capture != nullptr; capture = capture->outer_) {
    capture->notes_.push_back(note);
  }
}

}  // namespace tavglobal
