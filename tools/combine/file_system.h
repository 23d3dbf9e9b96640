#pragma once
// The few file-system calls the combine tool makes to read its files and
// look at names, under one interface for POSIX systems
// (file_system_posix.cpp) and Windows (file_system_win32.cpp); its output
// is written by WriteCompleteFile (platform/complete_file.h). The Windows
// side uses only functions that Windows 95 and NT 4.0 have, so
// ktxcombine.exe runs where the programs it combines run. Failures leave a system error code in `error`, which
// ErrorText turns into a short text.

#include <cstddef>
#include <cstdint>
#include <string>

namespace file_system {

// An open file: a descriptor on POSIX systems, a HANDLE on Windows.
using Handle = std::intptr_t;
constexpr Handle kNoHandle = -1;

enum class Kind { kMissing, kRegular, kNotRegular, kUnknown };

// What `path` names, symbolic links followed.
Kind KindOf(const std::string& path);
// Opens `path` for reading without waiting (a FIFO is not waited on).
Handle OpenForReading(const std::string& path, int& error);
// The open file's size, or false with `notRegular` set when it is no
// regular file (a FIFO, a device, a directory).
bool RegularFileSize(Handle file, std::uint64_t& size, bool& notRegular, int& error);
// Reads up to `length` bytes; 0 at the end, -1 on failure.
long ReadSome(Handle file, void* buffer, std::size_t length, int& error);
bool Close(Handle file, int& error);

// True when `a` and `b` name one existing file (through links, hard links
// or different spellings of the path).
bool SameFile(const std::string& a, const std::string& b);

// The execute permissions of `path` (0 where a system keeps none).
unsigned ExecutePermissionsOf(const std::string& path);

// A short text for a system error code ("No such file or directory").
std::string ErrorText(int error);

}  // namespace file_system
