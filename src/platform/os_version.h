#pragma once
// The operating-system version record, in the layout of the ANSI
// OSVERSIONINFO (148 bytes). The application object fills it once; the
// transport choice, the restart method and the pass-through volume access
// follow from it.

#include <cstdint>

struct OsVersionRecord {
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};
static_assert(sizeof(OsVersionRecord) == 148, "ANSI OSVERSIONINFO layout");

constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;  // Windows 95/98
constexpr std::uint32_t kPlatformNt = 2;
