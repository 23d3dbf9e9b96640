#pragma once
// Files for the firmware read-out: open for writing without truncating,
// length, set length, write, close. One Win32 implementation; tests use a
// file service over real temporary files that fails on demand.

#include <cstdint>

using FileHandle = void*;

class FileService {
public:
    virtual ~FileService() = default;
    // Opens `path` for writing, creating it when missing and keeping its
    // contents when present. Null on failure.
    virtual FileHandle OpenForWriteNoTruncate(const char* path) = 0;
    // The file's length; false when it cannot be taken.
    virtual bool GetLength(FileHandle file, std::uint64_t& length) = 0;
    virtual bool SetLength(FileHandle file, std::uint64_t length) = 0;
    // Writes all `count` bytes at the current position; false otherwise.
    virtual bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) = 0;
    virtual void Close(FileHandle file) = 0;
};
