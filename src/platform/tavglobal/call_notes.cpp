#include "platform/tavglobal/call_notes.h"

namespace tavglobal {
namespace {

thread_local oleaut::ThreadCapture<CallNote>* innermost = nullptr;

}  // namespace

ScopedCallNotes::ScopedCallNotes() : ThreadCapture(innermost) {}

bool CallNotesWanted() noexcept {
  return innermost != nullptr;
}

void NoteForCaller(const CallNote& note) {
  ScopedCallNotes::KeepInAll(innermost, note);
}

}  // namespace tavglobal
