#pragma once
// A file service for a save that must be complete or nothing: the data go
// to a new temporary file beside the target ("<target>.partial"), and only
// when the file is closed after every write succeeded does that file take
// the target's name (replacing a file of that name where the caller allows
// it: atomically on POSIX systems; on Windows in one step where the system
// can, else by moving the old file aside first). Any failure, or a close without a write,
// removes the temporary file and leaves the target as it was. One file at
// a time. C library calls, and the system's way of creating a new file
// and of replacing one (platform/file_replacement.h).

#include <cstdio>

#include "platform/file_service.h"
#include "platform/fixed_text.h"

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
