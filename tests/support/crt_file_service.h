#pragma once
// Files through the C runtime's low-level I/O (POSIX open/ftruncate/write,
// or the Windows CRT's _open/_chsize_s/_write): the same semantics as the
// Win32 implementation, on every platform, for tests over real files and
// for tools.

#include "platform/file_service.h"

class CrtFileService : public FileService {
public:
    FileHandle OpenForWriteNoTruncate(const char* path) override;
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    void Close(FileHandle file) override;
};
