#include "platform/win/event_log.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/oleaut/clock.h"
#include "platform/oleaut/text.h"

namespace win {
namespace {

thread_local ScopedEventCapture* t_capture = nullptr;

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

class File {
 public:
  explicit File(const char* path)
      : fd_(::open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() {
    if (fd_ >= 0) ::close(fd_);
  }

  // One write call for the whole line where the system allows, so that lines of concurrent
  // writers do not interleave.
  void WriteAll(std::string_view data) const {
    while (fd_ >= 0 && !data.empty()) {
      const ssize_t written = ::write(fd_, data.data(), data.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;
      data.remove_prefix(static_cast<std::size_t>(written));
    }
  }

 private:
  int fd_;
};

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
  File(path).WriteAll(line);
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
      t_capture->events_.push_back({type, std::u16string(source), std::u16string(message)});
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

ScopedEventCapture::ScopedEventCapture() : outer_(t_capture) {
  t_capture = this;
}

ScopedEventCapture::~ScopedEventCapture() {
  t_capture = outer_;
}

}  // namespace win
