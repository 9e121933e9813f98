#include "platform/io/file_lock.h"

#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/io/file_error.h"

namespace io {

FileHandle LockExclusive(const std::filesystem::path& path, std::chrono::milliseconds timeout) {
  FileHandle lock = OpenForUpdate(path);

  // Polled with a growing pause, as SQLite's busy handler does: flock has no timeout of its own.
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::chrono::milliseconds pause{1};
  while (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) RaiseErrno(errno, "lock", path);
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) RaiseLockTimeout(path, timeout);
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds{100});
  }
  return lock;
}

}  // namespace io
