#pragma once
// The FileService for host tests: real files through the C runtime, each
// step able to fail on demand, opens and closes counted.

#include "crt_file_service.h"

class FaultyFileService : public CrtFileService {
public:
    bool failLength = false, failSetLength = false, failWrite = false;
    int opens = 0, closes = 0;

    FileHandle OpenForWriteNoTruncate(const char* path) override;
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    void Close(FileHandle file) override;
};
