#pragma once
// The few file-system calls the combine tool makes, under one interface
// for POSIX systems (file_system_posix.cpp) and Windows
// (file_system_win32.cpp). The Windows side uses only functions that
// Windows 95 and NT 4.0 have, so ktxcombine.exe runs where the programs it
// combines run. Failures leave a system error code in `error`, which
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
// True when `path` names anything at all, a dangling symbolic link included.
bool Exists(const std::string& path);

// Opens `path` for reading without waiting (a FIFO is not waited on).
Handle OpenForReading(const std::string& path, int& error);
// The open file's size, or false with `notRegular` set when it is no
// regular file (a FIFO, a device, a directory).
bool RegularFileSize(Handle file, std::uint64_t& size, bool& notRegular, int& error);
// Reads up to `length` bytes; 0 at the end, -1 on failure.
long ReadSome(Handle file, void* buffer, std::size_t length, int& error);

// Creates `path`, which must not exist yet, for writing.
Handle CreateExclusively(const std::string& path, int& error);
// Writes up to `length` bytes; -1 on failure.
long WriteSome(Handle file, const void* buffer, std::size_t length, int& error);
bool FlushToDisk(Handle file, int& error);
bool Close(Handle file, int& error);

// Renames `from` over `to`, replacing it.
bool RenameOver(const std::string& from, const std::string& to, int& error);
// Gives `from` the name `to` only while no file has that name, in one step
// (the system's no-replace rename, platform/file_replacement.h), so a file
// that takes the name meanwhile is never replaced: false with `taken` set
// then, or with `error` set when the system refused otherwise.
bool RenameIfFree(const std::string& from, const std::string& to, bool& taken, int& error);
bool RemoveFile(const std::string& path);

// The file `path` finally names, symbolic links followed one at a time so
// that a link to a file not there yet leads to where it is to be created.
bool ResolveLinks(const std::string& path, std::string& resolved, int& error);
// True when `a` and `b` name one existing file (through links, hard links
// or different spellings of the path).
bool SameFile(const std::string& a, const std::string& b);

// The execute permissions of `path` (0 where a system keeps none), and
// adding such permissions to a file.
unsigned ExecutePermissionsOf(const std::string& path);
bool AddPermissions(const std::string& path, unsigned permissions, int& error);

// A short text for a system error code ("No such file or directory").
std::string ErrorText(int error);
// A number that differs between runs and processes, for temporary names.
std::uint64_t RunUniqueNumber();

}  // namespace file_system
