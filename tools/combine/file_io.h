#pragma once
// File reading and all-or-nothing writing for the combine tool. On failure
// each returns a failure and sets `problem` to a short text such as
// "cannot read: No such file or directory" (the caller names the file).
//
// Only regular files are read or replaced: a FIFO would block the tool, a
// device could be endless, and replacing either (or a directory) by a
// regular file would destroy what the name stood for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ReadOutcome {
    kRead,      // `bytes` holds the whole file
    kTooLarge,  // the file is longer than the limit; nothing was kept
    kFailed,    // `problem` says why
};

// Reads the regular file `path` when it holds at most `limit` bytes. The
// size is checked before anything is read, and no more than `limit + 1`
// bytes are ever read (a file that grows meanwhile is still caught).
// `size` is the file's length as far as it is known (on kTooLarge: its
// length on disk, or `limit + 1` when it grew while being read).
ReadOutcome ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                            std::uintmax_t& size, std::string& problem);

// True when `a` and `b` name one existing file (through links, hard links
// or different spellings of the path).
bool SameFile(const std::string& a, const std::string& b);

// Whether WriteFileAtomically may replace a file that has the name.
enum class Existing { kKeep, kReplace };

enum class WriteOutcome {
    kWritten,    // the file holds exactly `bytes`
    kNameTaken,  // kKeep, and a file has the name (also one made meanwhile)
    kFailed,     // `problem` says why
};

// Writes `bytes` to a new temporary file next to the file `path` names
// (following symbolic links, so that a link keeps pointing at the new
// content), adds `addedPermissions` and flushes it to disk. Then it takes
// the name: with kReplace by a rename over the file there; with kKeep only
// while no file has the name, in one step, so that not even a file made
// while this one was written is replaced. Whatever the outcome other than
// kWritten, the named file is left as it was and the temporary file is
// gone, also when the run is interrupted (WriteCompleteFile, platform/complete_file.h). An
// existing target that is not a regular file is refused. `addedPermissions`
// are execute permissions as
// file_system::ExecutePermissionsOf gives them.
WriteOutcome WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                 unsigned addedPermissions, Existing existing, std::string& problem);
