#include <windows.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/win32_services.h"

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
static_assert(kPlatformWin32s == VER_PLATFORM_WIN32s, "");
static_assert(kPlatformWindows == VER_PLATFORM_WIN32_WINDOWS, "");
static_assert(kPlatformNt == VER_PLATFORM_WIN32_NT, "");

namespace platform {

int Win32SystemServices::QueryVersion(OsVersionRecord& record) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The record's size field, set by the caller, tells the system which
    // form of the record it is given.
    return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) ? 1 : 0;
#pragma GCC diagnostic pop
}

void Win32SystemServices::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32SystemServices::Milliseconds() { return ::GetTickCount(); }

void Win32SystemServices::KeepSystemAwake(bool awake) {
    // Taken at run time: Windows 95 and NT 4.0 lack it, and the program
    // must still load there.
    using SetExecutionState = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return;
    const FARPROC entry = ::GetProcAddress(kernel, "SetThreadExecutionState");
    if (entry == nullptr) return;
    SetExecutionState setState;
    static_assert(sizeof setState == sizeof entry, "entry addresses are code pointers");
    std::memcpy(&setState, &entry, sizeof setState);
    setState(awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS);
}

std::uint32_t Win32SystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    return ::GetCurrentDirectoryA(bufferLength, buffer);
}

}  // namespace platform
