#include "file_system.h"

#include <windows.h>

#include <cstdio>

// Only functions that Windows 95 and NT 4.0 export are imported (see
// tests/imports/allowlist_win32.txt).
namespace file_system {
namespace {

HANDLE AsHandle(Handle file) { return reinterpret_cast<HANDLE>(file); }
Handle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(handle);
}

int LastError() { return static_cast<int>(GetLastError()); }

// Blocks longer than this are read in parts.
constexpr DWORD kLargestTransfer = 0x40000000u;

}  // namespace

Kind KindOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Kind::kMissing : Kind::kUnknown;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::kNotRegular : Kind::kRegular;
}

Handle OpenForReading(const std::string& path, int& error) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) error = LastError();
    return FromHandle(file);
}

bool RegularFileSize(Handle file, std::uint64_t& size, bool& notRegular, int& error) {
    // A console, printer port or pipe opened by name is no disk file.
    notRegular = GetFileType(AsHandle(file)) != FILE_TYPE_DISK;
    if (notRegular) return false;
    DWORD high = 0;
    const DWORD low = GetFileSize(AsHandle(file), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        error = LastError();
        return false;
    }
    size = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

long ReadSome(Handle file, void* buffer, std::size_t length, int& error) {
    DWORD got = 0;
    const DWORD asked = length > kLargestTransfer ? kLargestTransfer : static_cast<DWORD>(length);
    if (!ReadFile(AsHandle(file), buffer, asked, &got, nullptr)) {
        error = LastError();
        return -1;
    }
    return static_cast<long>(got);
}

bool Close(Handle file, int& error) {
    if (CloseHandle(AsHandle(file))) return true;
    error = LastError();
    return false;
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* paths[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const HANDLE file = CreateFileA(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const BOOL known = GetFileInformationByHandle(file, &info[i]);
        CloseHandle(file);
        if (!known) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

unsigned ExecutePermissionsOf(const std::string&) { return 0; }

std::string ErrorText(int error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "No such file or directory";
    case ERROR_PATH_NOT_FOUND: return "No such file or directory";
    case ERROR_ACCESS_DENIED: return "Permission denied";
    case ERROR_SHARING_VIOLATION: return "The file is in use by another program";
    case ERROR_FILE_EXISTS: return "File exists";
    case ERROR_ALREADY_EXISTS: return "File exists";
    case ERROR_DISK_FULL: return "No space left on device";
    case ERROR_HANDLE_DISK_FULL: return "No space left on device";
    case ERROR_WRITE_PROTECT: return "The disk is write-protected";
    case ERROR_INVALID_NAME: return "Invalid file name";
    case ERROR_NOT_READY: return "The drive is not ready";
    }
    char text[32];
    std::snprintf(text, sizeof text, "Windows error %d", error);
    return text;
}

}  // namespace file_system
