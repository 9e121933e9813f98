// The errors of file access: one ComError per failure, naming the file, what was being done and
// the system's reason, with an HRESULT of the Win32 error that means the same.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string_view>

namespace io {

// The source of every file error.
inline constexpr std::u16string_view kFileErrorSource = u"TAVPlatform.File";

// "Cannot <action> <path>: <reason of errno `error`>".
[[noreturn]] void RaiseErrno(int error, std::string_view action, const std::filesystem::path& path);

// "<path> is not a regular file but a FIFO" (a directory, a character device ...).
[[noreturn]] void RaiseNotRegular(const std::filesystem::path& path, mode_t mode);

// "Another process has held the lock <path> for longer than <timeout> ms ...".
[[noreturn]] void RaiseLockTimeout(const std::filesystem::path& path,
                                   std::chrono::milliseconds timeout);

}  // namespace io
