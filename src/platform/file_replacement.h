#pragma once
// Writing a complete file: the data go to a temporary file beside the
// target, flushed to the disk, which then takes the target's name (or does
// so only while the name is free). The steps that differ between systems
// have one definition per system (platform/posix, platform/win32); the
// rest is portable.

#include <cstdio>

#include "platform/file_service.h"
#include "platform/fixed_text.h"

// Opens `path` for binary writing only when no file of that name exists;
// null when one does or when it cannot be made.
std::FILE* CreateNewFile(const char* path);

// Writes what `file` buffers and asks the system to put it on the disk;
// true when both succeeded.
bool FlushToDisk(std::FILE* file);

// Gives the file `from` the name `to`, replacing a file of that name; true
// when it did. (Not ReplaceFile: <windows.h> takes that name for a macro.)
bool MoveReplacingFile(const char* from, const char* to);

enum class Placement { Placed, NameTaken, Failed };

// Gives the file `from` the name `to` only if no file has that name, in
// one step: a file that takes the name in the meantime is never replaced
// (NameTaken). On failure `from` is left as it was.
Placement PlaceNewFile(const char* from, const char* to);

// The moves of files a replacing save needs where the system cannot rename
// over an existing file in one step (Windows). One implementation talks to
// the system (platform/win32); tests use a fake folder.

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
// replacing move where the system has it; otherwise (Windows 95/98) the old
// file is moved aside to "<to>.old" first, the new one takes the name, and
// the old one is removed only then; when the new one cannot take the name,
// the old one is moved back. True when `from` has the name `to`.


bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to);

// A file service for a save that must be complete or nothing: the data go
// to a new temporary file beside the target ("<target>.partial"), and only
// when the file is closed after every write succeeded does that file take
// the target's name (replacing a file of that name where the caller allows
// it: atomically on POSIX systems; on Windows in one step where the system
// can, else by moving the old file aside first). Any failure, or a close without a write,
// removes the temporary file and leaves the target as it was. One file at
// a time. C library calls, and the system's way of creating a new file
// and of replacing one (platform/file_replacement.h).



// What the closed file does to a file that has its target's name.
enum class ExistingTarget {
    Replace,
    // Kept: the file takes the name only while it is free, in one step, so
    // a file that appears after the caller looked is not replaced either.
    Keep,
};

class ReplacingFileService : public FileService {
public:
    explicit ReplacingFileService(ExistingTarget existing = ExistingTarget::Replace) : existing_(existing) {}
    ~ReplacingFileService() override;
    ReplacingFileService(const ReplacingFileService&) = delete;
    ReplacingFileService& operator=(const ReplacingFileService&) = delete;

    // Creates the temporary file; null when one is open already, when the
    // names do not fit or when the temporary file exists or cannot be made.
    FileHandle OpenForWriteNoTruncate(const char* path) override;
    // The bytes written so far.
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    // Only to 0, and only while nothing has been written.
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    // Puts the file in place when every write succeeded, else removes it.
    void Close(FileHandle file) override;

    // True once a closed file has taken its target's name.
    bool committed() const { return committed_; }
    // True when a closed file did not take its target's name because a file
    // had it (ExistingTarget::Keep).
    bool targetExisted() const { return targetExisted_; }

private:
    bool Holds(FileHandle file) const { return file != nullptr && file == stream_; }

    std::FILE* stream_ = nullptr;
    PathText target_;
    FixedText<kPathCapacity + 16> temporary_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
    bool committed_ = false;
    bool targetExisted_ = false;
    ExistingTarget existing_;
};
