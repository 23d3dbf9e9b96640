#pragma once
// Operating-system services other than drives and files: the version
// record, the shutdown privilege and restart, a pause and the current
// directory. One Win32 implementation; tests use fakes that record calls.

#include <cstdint>
#include "platform/os_version.h"

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

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // Fills `record` with the running system's version (GetVersionExA; the
    // caller sets its size field); nonzero on success.
    virtual int QueryVersion(OsVersionRecord& record) = 0;
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

    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // The current directory (GetCurrentDirectoryA(bufferLength, buffer)):
    // the length of the path copied, or, when it does not fit, the size
    // needed; 0 on failure.
    virtual std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) = 0;
};
