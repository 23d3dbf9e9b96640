#include "platform/win32/win32_services.h"

#include <windows.h>

FileHandle Win32FileService::OpenForWriteNoTruncate(const char* path) {
    // No sharing while the firmware file is being written.
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : static_cast<FileHandle>(file);
}

bool Win32FileService::GetLength(FileHandle file, std::uint64_t& length) {
    if (file == nullptr) return false;
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(static_cast<HANDLE>(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    length = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

bool Win32FileService::SetLength(FileHandle file, std::uint64_t length) {
    if (file == nullptr) return false;
    LONG high = static_cast<LONG>(length >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(static_cast<HANDLE>(file), static_cast<LONG>(length & 0xFFFFFFFFu), &high,
                                     FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return false;
    return SetEndOfFile(static_cast<HANDLE>(file)) != 0;
}

bool Win32FileService::Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) {
    if (file == nullptr) return false;
    while (count > 0) {
        DWORD written = 0;
        if (!WriteFile(static_cast<HANDLE>(file), data, count, &written, nullptr) || written == 0) return false;
        data += written;
        count -= written;
    }
    return true;
}

void Win32FileService::Close(FileHandle file) {
    if (file != nullptr) CloseHandle(static_cast<HANDLE>(file));
}
