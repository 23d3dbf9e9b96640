#pragma once
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
