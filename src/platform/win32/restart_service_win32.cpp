#include <windows.h>

#include "platform/win32/win32_services.h"

// The portable constants carry the platform's values.
static_assert(kTokenAdjustPrivileges == TOKEN_ADJUST_PRIVILEGES, "");
static_assert(kTokenQuery == TOKEN_QUERY, "");
static_assert(kSePrivilegeEnabled == SE_PRIVILEGE_ENABLED, "");
static_assert(kErrorNotAllAssigned == ERROR_NOT_ALL_ASSIGNED, "");
static_assert(kEwxReboot == EWX_REBOOT, "");
static_assert(kEwxForce == EWX_FORCE, "");

namespace platform {

int Win32RestartService::OpenProcessToken(std::uint32_t access, TokenHandle& token) {
    HANDLE handle = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), access, &handle)) return 0;
    token = handle;
    return 1;
}

int Win32RestartService::LookupPrivilege(const char* name, PrivilegeId& id) {
    LUID luid{};
    if (!::LookupPrivilegeValueA(nullptr, name, &luid)) return 0;
    id.lowPart = luid.LowPart;
    id.highPart = luid.HighPart;
    return 1;
}

int Win32RestartService::AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) {
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid.LowPart = id.lowPart;
    privileges.Privileges[0].Luid.HighPart = id.highPart;
    privileges.Privileges[0].Attributes = attributes;
    return ::AdjustTokenPrivileges(static_cast<HANDLE>(token), FALSE, &privileges, 0, nullptr, nullptr) ? 1 : 0;
}

int Win32RestartService::CloseToken(TokenHandle token) { return ::CloseHandle(static_cast<HANDLE>(token)) ? 1 : 0; }

std::uint32_t Win32RestartService::GetLastError() { return ::GetLastError(); }

int Win32RestartService::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    return ::ExitWindowsEx(flags, reserved) ? 1 : 0;
}

}  // namespace platform
