// Notes a call leaves for a tool that explains it, such as which step of the template lookup's
// fallback chain chose the template printing uses. They are no part of any member's result: a
// caller in the same process that wants them holds a ScopedCallNotes on its thread while it makes
// the late-bound call, and reads them afterwards. With no capture live, noting costs one test.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/oleaut/thread_capture.h"

namespace tavglobal {

struct CallNote {
  std::u16string topic;  // what the note is about, e.g. u"print template step"
  std::size_t number{};  // e.g. the step that decided, from 1; 0 when none did
  std::size_t of{};      // e.g. how many steps there are
  std::u16string text;   // what `number` stands for, in words
};

// The topic of the note the template lookups of printing leave: which step of the fallback chain
// found the template printing uses (`number`), of how many (`of`), and what it looks for (`text`).
inline constexpr std::u16string_view kPrintTemplateStepNote = u"print template step";

// The topic of the notes ExecuteSQL leaves for the messages of its batch (PRINT, RAISERROR of
// severity 10 or less): one note each, in order, the message as `text`.
inline constexpr std::u16string_view kServerMessageNote = u"server message";

// Captures the notes made on the constructing thread while it lives. Captures nest: each live
// capture of the thread receives every note.
class ScopedCallNotes : public oleaut::ThreadCapture<CallNote> {
 public:
  ScopedCallNotes();

  const std::vector<CallNote>& Notes() const { return Records(); }
};

// Whether a capture is live on this thread: a caller builds a note only when one is.
bool CallNotesWanted() noexcept;

// Hands a note to this thread's captures; does nothing when there is none.
void NoteForCaller(const CallNote& note);

}  // namespace tavglobal
