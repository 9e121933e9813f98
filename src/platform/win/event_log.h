// The application event log: where the component's messages go, since it runs unattended and
// never shows a dialog. Events are written to syslog (ident "TAVMPrintExport", facility LOG_USER,
// text as UTF-8) and, when the environment variable TAV_EVENT_LOG_FILE names a file, appended
// there as one line each:
//
//   <local time YYYY-MM-DD HH:MM:SS.fff> TAB <type> TAB <source> TAB <message>
//
// with backslash, tab, line feed and carriage return in the source and message written as \\,
// \t, \n and \r, so that one event is always one line. Writing an event never fails the caller:
// a log file that cannot be written (or is no regular file) is skipped, and said so on standard
// error once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/oleaut/thread_capture.h"

namespace win {

enum class EventType { Error, Warning, Information };

// "Error", "Warning", "Information".
std::string_view EventTypeName(EventType type) noexcept;

void ReportEvent(EventType type, std::u16string_view source, std::u16string_view message) noexcept;

struct LoggedEvent {
  EventType type;
  std::u16string source;
  std::u16string message;
};

// Collects the events reported on this thread while it lives (the innermost capture when they
// nest), in addition to writing them to the log, so tests can check what a call reported.
class ScopedEventCapture : public oleaut::ThreadCapture<LoggedEvent> {
 public:
  ScopedEventCapture();

  const std::vector<LoggedEvent>& Events() const noexcept { return Records(); }
};

}  // namespace win
