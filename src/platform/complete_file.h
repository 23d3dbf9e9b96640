#pragma once
// Writing a complete file: the data go to a new temporary file beside the
// target, flushed to the disk, which then takes the target's name. The
// target is either left as it was or holds exactly the data, and no
// temporary file stays behind: not on a failure, and not when the program
// is interrupted meanwhile. The steps that differ between systems have one
// definition per system (platform/posix, platform/win32); on Windows they
// use only what Windows 95 and NT 4.0 export.

#include <cstddef>
#include <cstdint>

#include "platform/fixed_text.h"

enum class ExistingTarget {
    Replace,
    // Kept: the file takes the name only while it is free, in one step, so
    // a file that appears after the caller looked is not replaced either.
    Keep,
};

// What a symbolic link at the target's name stands for.
enum class TargetLinks {
    // The file it leads to is written, so the link keeps pointing at the
    // new content (a program's own output file).
    Followed,
    // The link itself is the file of that name: kept, or replaced. A program
    // run as root never writes where another user's link in a shared folder leads.
    NotFollowed,
};

enum class CompleteFileOutcome {
    Written,          // the name holds exactly the data
    NameTaken,        // ExistingTarget::Keep, and a file has the name
    NameTooLong,      // the target's or the temporary file's name does not fit
    NoTemporaryName,  // every temporary name tried beside the target was taken
    Failed,           // `error` holds the system's error code
};

// Writes `size` bytes as the file `path`, and gives it the execute
// permissions `addedPermissions` (ExecutePermissionsOf's bits; ignored
// where a system keeps none) before it takes the name. Nothing is written
// when `size` is 0.
CompleteFileOutcome WriteCompleteFile(const char* path, const void* data, std::size_t size, ExistingTarget existing,
                                      TargetLinks links, unsigned addedPermissions, int& error);

// The longest name the steps below handle, the terminating zero excluded.
constexpr std::size_t kLongestFileName = 4095;
using LongPathText = FixedText<kLongestFileName + 1>;

// An open file: a descriptor on POSIX systems, a HANDLE on Windows.
using FileDescriptor = std::intptr_t;
constexpr FileDescriptor kNoFile = -1;

// While armed, removes a half-written temporary file when the run is interrupted
// (SIGINT or SIGTERM; on Windows Ctrl+C, Ctrl+Break and the console's
// closing), and then lets the interruption end the program as it would
// have. One guard at a time: a program writes one such file at once.
class TemporaryFileGuard {
public:
    TemporaryFileGuard() = default;
    explicit TemporaryFileGuard(const char* path) { Arm(path); }
    // Disarms the guard; the file itself is the caller's to keep or remove.
    ~TemporaryFileGuard() { Disarm(); }
    // A path too long to keep is not armed.
    void Arm(const char* path);
    void Disarm();
    // The file's descriptor from its creation until it is closed (kNoFile):
    // Windows deletes no file that is still open, so the handler closes it.
    void SetOpenFile(FileDescriptor file);

    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
};

// The steps with one definition per system. Failures leave the system's
// error code in `error`.

// The file `path` finally names, symbolic links followed one at a time so
// that a link to a file not there yet leads to where it is to be created.
bool ResolveLinks(const char* path, LongPathText& resolved, int& error);
// Creates `path` only while the name is free (`nameTaken` when it is not),
// writes the data, adds the execute permissions, puts it on the disk, not
// only in the system's buffers, and closes it. `guard`, armed on `path`,
// knows the open file, and is disarmed when `path` is not made. On a
// failure nothing of the file stays.
bool WriteNewFile(const char* path, const void* data, std::size_t size, unsigned addedPermissions,
                  TemporaryFileGuard& guard, bool& nameTaken, int& error);
// Gives the file `from` the name `to`, replacing a file of that name. (Not
// ReplaceFile: <windows.h> takes that name for a macro.)
bool MoveReplacingFile(const char* from, const char* to, int& error);

// Installs, once, the handlers that call RemoveArmedTemporaryFile when the
// run is interrupted and then let the interruption go on.
void InstallInterruptHandlersOnce();
// Removes the file a guard is armed on (closing it first when it is open);
// what the handlers call, so only calls a signal handler may make.
void RemoveArmedTemporaryFile();
void CloseFileNow(FileDescriptor file);

enum class Placement { Placed, NameTaken, Failed };
// Gives the file `from` the name `to` only if no file has that name, in
// one step: a file that takes the name in the meantime is never replaced.
// On failure `from` is left as it was.
Placement PlaceNewFile(const char* from, const char* to, int& error);
bool RemoveFile(const char* path);
// A number that differs between runs and processes, for temporary names.
std::uint64_t RunUniqueNumber();

// The moves of files a replacing write needs where the system cannot
// rename over an existing file in one step (Windows 95/98). Windows talks
// to the system through it; tests use a fake folder.

enum class ReplacingMove {
    Done,          // `from` now has the name `to`; a file of that name is gone
    Failed,        // the system tried and failed; both files are as they were
    NotSupported,  // the system has no such move (Windows 95/98)
};

class FileMoves {
public:
    virtual ~FileMoves() = default;
    // Gives `from` the name `to`, replacing a file of that name, in one step.
    virtual ReplacingMove MoveReplacing(const char* from, const char* to) = 0;
    // Gives `from` the name `to`; fails when a file of that name exists.
    virtual bool Move(const char* from, const char* to) = 0;
    virtual bool Remove(const char* path) = 0;
};

// Replaces the file `to` with the file `from` so that at every moment one
// of them holds the name `to` or can be put back under it: the one-step
// replacing move where the system has it; otherwise the old file is moved
// aside to "<to>.old" first, the new one takes the name, and the old one
// is removed only then; when the new one cannot take the name, the old one
// is moved back. True when `from` has the name `to`.
bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to);
