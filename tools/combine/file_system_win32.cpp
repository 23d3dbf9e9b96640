#include "file_system.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>

// Only functions that Windows 95 and NT 4.0 export are imported (see
// tests/imports/allowlist_win32.txt); MoveFileExA, which Windows 95 lacks,
// is looked up at run time.
namespace file_system {
namespace {

HANDLE AsHandle(Handle file) { return reinterpret_cast<HANDLE>(file); }
Handle FromHandle(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(handle);
}

int LastError() { return static_cast<int>(GetLastError()); }

using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

// Blocks longer than this are read and written in parts.
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

bool Exists(const std::string& path) { return KindOf(path) != Kind::kMissing; }

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

Handle CreateExclusively(const std::string& path, int& error) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) error = LastError();
    return FromHandle(file);
}

long WriteSome(Handle file, const void* buffer, std::size_t length, int& error) {
    DWORD written = 0;
    const DWORD asked = length > kLargestTransfer ? kLargestTransfer : static_cast<DWORD>(length);
    if (!WriteFile(AsHandle(file), buffer, asked, &written, nullptr)) {
        error = LastError();
        return -1;
    }
    return static_cast<long>(written);
}

bool FlushToDisk(Handle file, int& error) {
    if (FlushFileBuffers(AsHandle(file))) return true;
    error = LastError();
    return false;
}

bool Close(Handle file, int& error) {
    if (CloseHandle(AsHandle(file))) return true;
    error = LastError();
    return false;
}

bool RenameOver(const std::string& from, const std::string& to, int& error) {
    // The NT family replaces in one step. Windows 95/98 has no MoveFileExA
    // (or one that fails with ERROR_CALL_NOT_IMPLEMENTED): the old file is
    // removed first, and only a crash between the two steps loses it.
    const auto moveFileEx = reinterpret_cast<MoveFileExFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
    if (moveFileEx != nullptr) {
        if (moveFileEx(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            error = LastError();
            return false;
        }
    }
    if (KindOf(to) == Kind::kRegular && std::remove(to.c_str()) != 0) {
        error = ERROR_ACCESS_DENIED;
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = ERROR_ACCESS_DENIED;
    return false;
}

// The C runtime's rename is MoveFileA, which never replaces a file: a name
// that is taken fails with EEXIST. (The same call as PlaceNewFile in
// platform/win32/file_replacement_win32.cpp, which is not linked here: its
// file also holds the C-stream save, whose imports ktxcombine.exe has not.)
bool RenameIfFree(const std::string& from, const std::string& to, bool& taken, int& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    taken = errno == EEXIST;
    error = LastError();
    return false;
}

bool RemoveFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

// The systems the program is for keep no symbolic links the tool follows.
bool ResolveLinks(const std::string& path, std::string& resolved, int&) {
    resolved = path;
    return true;
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

bool AddPermissions(const std::string&, unsigned, int&) { return true; }

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

std::uint64_t RunUniqueNumber() {
    static std::uint32_t calls = 0;
    int onTheStack = 0;
    return (static_cast<std::uint64_t>(GetTickCount()) << 32) ^
           static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&onTheStack)) ^ (++calls * 2654435761u);
}

}  // namespace file_system
