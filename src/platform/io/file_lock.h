// Waiting for another process's lock, for a bounded time: the registry file's lock, and the
// time the database waits for another writer.
#pragma once

#include <chrono>
#include <filesystem>

#include "platform/io/regular_file.h"

namespace io {

// How long a writer waits for another's lock before it gives up with an error: the database's
// busy timeout, and the registry's lock.
inline constexpr std::chrono::milliseconds kBusyTimeout{10000};

// An exclusive lock on the file `path` (created when absent; it must be a regular file), held
// while the handle lives. Waits at most `timeout` for another holder, then raises a ComError
// that names the file and says how long it waited.
FileHandle LockExclusive(const std::filesystem::path& path,
                         std::chrono::milliseconds timeout = kBusyTimeout);

}  // namespace io
