#include "faulty_file_service.h"

FileHandle FaultyFileService::OpenForWriteNoTruncate(const char* path) {
    FileHandle file = CrtFileService::OpenForWriteNoTruncate(path);
    if (file != nullptr) ++opens;
    return file;
}

bool FaultyFileService::GetLength(FileHandle file, std::uint64_t& length) {
    return !failLength && CrtFileService::GetLength(file, length);
}

bool FaultyFileService::SetLength(FileHandle file, std::uint64_t length) {
    return !failSetLength && CrtFileService::SetLength(file, length);
}

bool FaultyFileService::Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) {
    return !failWrite && CrtFileService::Write(file, data, count);
}

void FaultyFileService::Close(FileHandle file) {
    ++closes;
    CrtFileService::Close(file);
}
