#include "platform/win/event_log.h"

#include <syslog.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/io/regular_file.h"
#include "platform/oleaut/clock.h"
#include "platform/oleaut/com_error.h"
#include "platform/oleaut/text.h"

namespace win {
namespace {

thread_local oleaut::ThreadCapture<LoggedEvent>* t_capture = nullptr;

int Priority(EventType type) {
  switch (type) {
    case EventType::Error:
      return LOG_ERR;
    case EventType::Warning:
      return LOG_WARNING;
    case EventType::Information:
      return LOG_INFO;
  }
  return LOG_INFO;
}

std::string Escaped(std::u16string_view text) {
  std::string out;
  for (char c : oleaut::ToUtf8(text)) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void WriteToSyslog(EventType type, std::u16string_view source, std::u16string_view message) {
  static std::once_flag opened;
  std::call_once(opened, [] { openlog("TAVMPrintExport", LOG_PID, LOG_USER); });
  syslog(Priority(type), "%s: %s", oleaut::ToUtf8(source).c_str(), oleaut::ToUtf8(message).c_str());
}

void WriteToFile(EventType type, std::u16string_view source, std::u16string_view message) {
  const char* path = std::getenv("TAV_EVENT_LOG_FILE");
  if (path == nullptr || *path == '\0') return;
  std::string line = oleaut::ToUtf8(oleaut::Now().ToIsoString());
  line += '\t';
  line += EventTypeName(type);
  line += '\t';
  line += Escaped(source);
  line += '\t';
  line += Escaped(message);
  line += '\n';
  try {
    // One write call for the whole line, so that lines of concurrent writers do not interleave.
    io::WriteAll(io::OpenForAppend(path), line, path);
  } catch (const oleaut::ComError& error) {
    static std::atomic<bool> warned{false};
    if (warned.exchange(true)) return;
    const std::string warning = "warning: the application event log file is not written: " +
                                oleaut::ToUtf8(error.Description()) + "\n";
    std::fwrite(warning.data(), 1, warning.size(), stderr);
  }
}

}  // namespace

std::string_view EventTypeName(EventType type) noexcept {
  switch (type) {
    case EventType::Error:
      return "Error";
    case EventType::Warning:
      return "Warning";
    case EventType::Information:
      return "Information";
  }
  return "Information";
}

void ReportEvent(EventType type, std::u16string_view source, std::u16string_view message) noexcept {
  // Each sink on its own: a failure of one (no memory, a bad clock setting) leaves the others.
  try {
    if (t_capture != nullptr) {
      ScopedEventCapture::KeepIn(*t_capture,
                                 {type, std::u16string(source), std::u16string(message)});
    }
  } catch (...) {
  }
  try {
    WriteToSyslog(type, source, message);
  } catch (...) {
  }
  try {
    WriteToFile(type, source, message);
  } catch (...) {
  }
}

ScopedEventCapture::ScopedEventCapture() : ThreadCapture(t_capture) {}

}  // namespace win
