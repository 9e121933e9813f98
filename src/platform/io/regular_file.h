// Files that must be regular files: how every file of the platform and of tavprint is opened
// (the registry, the catalog, the databases, template bodies, exports, the SQL trace and the
// event log).
//
// A path may be a symbolic link: it is followed to the file it names, and a write replaces or
// extends that file, never the link. Anything that is not a regular file (a directory, a device
// such as /dev/null or /dev/full, a FIFO, a socket) is refused with a ComError that names the
// path, and nothing ever blocks on a FIFO. Every write, flush and close is checked: a file that
// cannot be written raises, it is never reported as written.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace io {

// A file descriptor closed when it goes out of scope.
class FileHandle {
 public:
  FileHandle() noexcept = default;
  explicit FileHandle(int fd) noexcept : fd_(fd) {}
  FileHandle(FileHandle&& other) noexcept;
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle();

  int Get() const noexcept { return fd_; }
  bool IsOpen() const noexcept { return fd_ >= 0; }
  // Gives up ownership: the caller closes the descriptor (and checks that close).
  int Release() noexcept;

 private:
  int fd_ = -1;
};

// The file a chain of symbolic links ends at (the path itself when it is no link). The end may
// not exist yet: a link to a file still to be written names where it is to be written.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// Raises unless `path`, links followed, is a regular file or does not exist.
void RequireRegularOrAbsent(const std::filesystem::path& path);

// The whole content of the file; nothing when it does not exist.
std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path);
// The whole content of the file; a missing file raises.
std::string ReadWholeFile(const std::filesystem::path& path);

// Makes `content` the whole content of the file `path` names: written to a temporary file beside
// it, flushed to disk and renamed over it, so that a reader sees the old content or the new one
// and a failure leaves the old content as it was. A new file gets mode 0666 less the umask; an
// existing one keeps its mode.
void ReplaceFile(const std::filesystem::path& path, std::string_view content);

// A new content for the file `path` names, written piece by piece to a temporary file beside it
// and renamed over it by Commit, so that a reader sees the old content or the whole new one.
// Until Commit nothing is changed; destroyed uncommitted, it removes its temporary file. The
// target is checked first (a regular file we may write, or absent); a new file gets mode 0666
// less the umask, an existing one keeps its mode.
class FileReplacement {
 public:
  explicit FileReplacement(const std::filesystem::path& path);
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;
  ~FileReplacement();

  void Write(std::string_view data);
  void Commit();

 private:
  std::filesystem::path path_;    // as given, for messages
  std::filesystem::path target_;  // links followed
  std::filesystem::path temp_;
  FileHandle file_;
};

// Opens the file for appending, creating it when it does not exist.
FileHandle OpenForAppend(const std::filesystem::path& path);

// Opens the file for reading and writing, creating it when it does not exist.
FileHandle OpenForUpdate(const std::filesystem::path& path);

// Writes all of `data` at the descriptor's position; `path` names the file in errors.
void WriteAll(const FileHandle& file, std::string_view data, const std::filesystem::path& path);

}  // namespace io
