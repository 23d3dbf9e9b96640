#pragma once
// The product's file service: CreateFileA with OPEN_ALWAYS (create when
// missing, keep the contents when present) and write access, GetFileSize,
// SetFilePointer with SetEndOfFile, WriteFile and CloseHandle.

#include "platform/file_service.h"

class Win32FileService : public FileService {
public:
    FileHandle OpenForWriteNoTruncate(const char* path) override;
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    void Close(FileHandle file) override;
};
