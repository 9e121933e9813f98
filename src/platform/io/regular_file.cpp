#include "platform/io/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "platform/io/file_error.h"

namespace io {

namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit on a chain of links (ELOOP)

void RequireRegular(const struct stat& status, const std::filesystem::path& path) {
  if (!S_ISREG(status.st_mode)) RaiseNotRegular(path, status.st_mode);
}

// Opens `path` (links followed) without ever waiting for the other end of a FIFO, and refuses
// what is not a regular file.
FileHandle OpenRegular(const std::filesystem::path& path, int flags, std::string_view action) {
  FileHandle file(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666));
  if (!file.IsOpen()) {
    // A FIFO opened for writing without a reader answers ENXIO: say what it is instead.
    const int error = errno;
    struct stat status {};
    if (error == ENXIO && ::stat(path.c_str(), &status) == 0) RequireRegular(status, path);
    RaiseErrno(error, action, path);
  }
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) RaiseErrno(errno, action, path);
  RequireRegular(status, path);
  // Regular files never block; the flag only guarded the open itself.
  ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);
  return file;
}

std::string ReadAll(const FileHandle& file, const std::filesystem::path& path) {
  std::string content;
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
    if (got == 0) return content;
    if (got < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno, "read", path);
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

FileHandle::FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

int FileHandle::Release() noexcept {
  return std::exchange(fd_, -1);
}

std::filesystem::path ResolveLinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(current, error);
    if (error) return current;
    current = target.is_absolute() ? target : (current.parent_path() / target).lexically_normal();
  }
  return current;  // opening it reports the loop
}

void RequireRegularOrAbsent(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return;
    RaiseErrno(errno, "open", path);
  }
  RequireRegular(status, path);
}

std::optional<std::string> ReadFileIfExists(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) return std::nullopt;
  const FileHandle file = OpenRegular(path, O_RDONLY, "read");
  return ReadAll(file, path);
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  const FileHandle file = OpenRegular(path, O_RDONLY, "read");
  return ReadAll(file, path);
}

FileReplacement::FileReplacement(const std::filesystem::path& path)
    : path_(path), target_(ResolveLinks(path)) {
  struct stat status {};
  const bool exists = ::stat(target_.c_str(), &status) == 0;
  if (!exists && errno != ENOENT) RaiseErrno(errno, "write", path);
  if (exists) {
    RequireRegular(status, path);
    // Renaming over a file we may not write would bypass its protection.
    if (::access(target_.c_str(), W_OK) != 0) RaiseErrno(errno, "write", path);
  }
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100 && !file_.IsOpen(); ++attempt) {
    temp_ = target_;
    temp_ += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "-" +
             std::to_string(random() % 1000000);
    // The mode the kernel gives a new file: 0666 less the umask.
    file_ = FileHandle(::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!file_.IsOpen() && errno != EEXIST)
      RaiseErrno(errno, "create a temporary file for", target_);
  }
  if (!file_.IsOpen()) RaiseErrno(EEXIST, "create a temporary file for", target_);
  if (exists) ::fchmod(file_.Get(), status.st_mode & 07777);
}

FileReplacement::~FileReplacement() {
  file_ = FileHandle();
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

void FileReplacement::Write(std::string_view data) {
  WriteAll(file_, data, path_);
}

void FileReplacement::Commit() {
  // Flushed and closed, both checked: a full disk may only show there.
  if (::fsync(file_.Get()) != 0) RaiseErrno(errno, "write", path_);
  const int fd = file_.Release();
  if (::close(fd) != 0) RaiseErrno(errno, "write", path_);
  if (::rename(temp_.c_str(), target_.c_str()) != 0) RaiseErrno(errno, "replace", target_);
  temp_.clear();
}

void ReplaceFile(const std::filesystem::path& path, std::string_view content) {
  FileReplacement replacement(path);
  replacement.Write(content);
  replacement.Commit();
}

FileHandle OpenForAppend(const std::filesystem::path& path) {
  return OpenRegular(path, O_WRONLY | O_APPEND | O_CREAT, "write");
}

FileHandle OpenForUpdate(const std::filesystem::path& path) {
  return OpenRegular(path, O_RDWR | O_CREAT, "open");
}

void WriteAll(const FileHandle& file, std::string_view data, const std::filesystem::path& path) {
  while (!data.empty()) {
    const ssize_t written = ::write(file.Get(), data.data(), data.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      RaiseErrno(errno, "write", path);
    }
    if (written == 0) RaiseErrno(EIO, "write", path);
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace io
