#include <windows.h>

#include <cstddef>

#include "platform/win32/system_services_win32.h"

// The portable record and the platform's ANSI OSVERSIONINFO are one layout,
// so GetVersionExA fills the record in place.
static_assert(sizeof(OsVersionRecord) == sizeof(OSVERSIONINFOA), "OSVERSIONINFOA size");
static_assert(offsetof(OsVersionRecord, dwOSVersionInfoSize) == offsetof(OSVERSIONINFOA, dwOSVersionInfoSize), "");
static_assert(offsetof(OsVersionRecord, dwMajorVersion) == offsetof(OSVERSIONINFOA, dwMajorVersion), "");
static_assert(offsetof(OsVersionRecord, dwMinorVersion) == offsetof(OSVERSIONINFOA, dwMinorVersion), "");
static_assert(offsetof(OsVersionRecord, dwBuildNumber) == offsetof(OSVERSIONINFOA, dwBuildNumber), "");
static_assert(offsetof(OsVersionRecord, dwPlatformId) == offsetof(OSVERSIONINFOA, dwPlatformId), "");
static_assert(offsetof(OsVersionRecord, szCSDVersion) == offsetof(OSVERSIONINFOA, szCSDVersion), "");

// The portable constants carry the platform's values.
static_assert(kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES, "");
static_assert(kTokenQuery == TOKEN_QUERY, "");
static_assert(kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED, "");
static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED, "");
static_assert(kEwxReboot == EWX_REBOOT, "");
static_assert(kEwxForce == EWX_FORCE, "");
static_assert(kPlatformWin32s == VER_PLATFORM_WIN32s, "");
static_assert(kPlatformWindows == VER_PLATFORM_WIN32_WINDOWS, "");
static_assert(kPlatformNt == VER_PLATFORM_WIN32_NT, "");

namespace platform {

int Win32SystemServices::QueryVersion(OsVersionRecord& record) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    // The record's size field, set by the caller, tells the system which
    // form of the record it is given.
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) ? 1 : 0;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

int Win32SystemServices::OpenProcessToken(std::uint32_t access, TokenHandle& token) {
    HANDLE handle = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &handle)) return 0;
    token = handle;
    return 1;
}

int Win32SystemServices::LookupPrivilege(const char* name, PrivilegeId& id) {
    LUID luid{};
    if (!::LookupPrivilegeValueA(nullptr, name, &luid)) return 0;
    id.lowPart = luid.LowPart;
    id.highPart = luid.HighPart;
    return 1;
}

int Win32SystemServices::AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = id.lowPart;
    privileges.Privileges[0].Luid.HighPart = id.highPart;
    privileges.Privileges[0].Attributes = attributes;
    return ::AdjustTokenPrivileges(static_cast<HANDLE>(token), FALSE, &privileges, 0, nullptr, nullptr) ? 1 : 0;
}

int Win32SystemServices::CloseToken(TokenHandle token) { return ::CloseHandle(static_cast<HANDLE>(token)) ? 1 : 0; }

std::uint32_t Win32SystemServices::GetLastError() { return ::GetLastError(); }

int Win32SystemServices::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    return ::ExitWindowsEx(flags, reserved) ? 1 : 0;
}

void Win32SystemServices::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32SystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    return ::GetCurrentDirectoryA(bufferLength, buffer);
}

}  // namespace platform
