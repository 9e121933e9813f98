#include "platform/io/file_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/oleaut/com_error.h"
#include "platform/oleaut/hresult.h"
#include "platform/oleaut/text.h"

namespace io {

namespace {

constexpr std::uint32_t kLockViolation = 33;  // ERROR_LOCK_VIOLATION

// HRESULT_FROM_WIN32 of the Win32 error that a Windows program would have met.
std::int32_t HresultOf(int error) {
  std::uint32_t win32 = 29;  // ERROR_WRITE_FAULT
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      win32 = 2;  // ERROR_FILE_NOT_FOUND
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      win32 = 5;  // ERROR_ACCESS_DENIED
      break;
    case ENOSPC:
    case EDQUOT:
      win32 = 112;  // ERROR_DISK_FULL
      break;
    case EFBIG:
      win32 = 223;  // ERROR_FILE_TOO_LARGE
      break;
    case EWOULDBLOCK:
      win32 = kLockViolation;
      break;
    default:
      break;
  }
  return oleaut::HresultFromWin32(win32);
}

std::u16string PathText(const std::filesystem::path& path) {
  return oleaut::FromUtf8(path.string());
}

std::string_view KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "no regular file";
}

}  // namespace

void RaiseErrno(int error, std::string_view action, const std::filesystem::path& path) {
  throw oleaut::ComError(HresultOf(error), std::u16string(kFileErrorSource),
                         u"Cannot " + oleaut::FromUtf8(action) + u" " + PathText(path) + u": " +
                             oleaut::FromUtf8(std::strerror(error)));
}

void RaiseNotRegular(const std::filesystem::path& path, mode_t mode) {
  constexpr std::uint32_t kBadFileType = 222;  // ERROR_BAD_FILE_TYPE
  throw oleaut::ComError(
      oleaut::HresultFromWin32(kBadFileType), std::u16string(kFileErrorSource),
      PathText(path) + u" is not a regular file but " + oleaut::FromUtf8(KindOf(mode)));
}

void RaiseLockTimeout(const std::filesystem::path& path, std::chrono::milliseconds timeout) {
  throw oleaut::ComError(HresultOf(EWOULDBLOCK), std::u16string(kFileErrorSource),
                         u"Another process has held the lock " + PathText(path) +
                             u" for longer than " +
                             oleaut::FromUtf8(std::to_string(timeout.count())) +
                             u" ms; try again when it has finished");
}

}  // namespace io
