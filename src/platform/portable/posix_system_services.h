#pragma once
// The system services a terminal program on a POSIX system needs: the pause
// of the block download and the current directory. It restarts nothing and
// has no Windows version record or privileges: those calls report failure.

#include "platform/system_services.h"

class PosixSystemServices : public SystemServices {
public:
    int QueryVersion(OsVersionRecord& record) override;
    int OpenProcessToken(std::uint32_t access, TokenHandle& token) override;
    int LookupPrivilege(const char* name, PrivilegeId& id) override;
    int AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) override;
    int CloseToken(TokenHandle token) override;
    std::uint32_t GetLastError() override;
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    void Sleep(std::uint32_t milliseconds) override;
    // Nothing: on Linux the terminal program holds logind's sleep and
    // shutdown inhibitor around the download itself (app/linux).
    void KeepSystemAwake(bool awake) override;
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;
};
