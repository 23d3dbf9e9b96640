#pragma once
// Restarting Windows, as the dialog program does when the user leaves it
// after an upgrade: the process token, the shutdown privilege and
// ExitWindowsEx. Only the Windows program has it (platform/win32); tests
// use a fake that records calls.

#include <cstdint>

using TokenHandle = void*;

// Platform values used by the restart sequence.
constexpr std::uint32_t kTokenAdjustPrivileges = 0x20;
constexpr std::uint32_t kTokenQuery = 0x08;
constexpr std::uint32_t kSePrivilegeEnabled = 0x2;
constexpr std::uint32_t kErrorNotAllAssigned = 1300;
constexpr std::uint32_t kEwxReboot = 0x2;
constexpr std::uint32_t kEwxForce = 0x4;

struct PrivilegeId {
    std::uint32_t lowPart;
    std::int32_t highPart;
};

class RestartService {
public:
    virtual ~RestartService() = default;

    // OpenProcessToken(GetCurrentProcess(), access, &token); nonzero on success.
    virtual int OpenProcessToken(std::uint32_t access, TokenHandle& token) = 0;
    // The id of the named privilege on the local system
    // (LookupPrivilegeValueA(NULL, name, &id)); nonzero on success.
    virtual int LookupPrivilege(const char* name, PrivilegeId& id) = 0;
    // AdjustTokenPrivileges(token, FALSE, {1, {id, attributes}}, 0, NULL, NULL).
    virtual int AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) = 0;
    // CloseHandle on a token that OpenProcessToken opened; nonzero on success.
    virtual int CloseToken(TokenHandle token) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) = 0;
};
