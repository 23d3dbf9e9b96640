#pragma once
// The SystemServices and the RestartService for host tests: every call
// with an effect goes into a shared log, in order ("Sleep(200)", "ExitWindowsEx(6,0)",
// "KeepSystemAwake(true)", ...), results are scripted, and the current
// directory is a scripted text.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/restart_service.h"
#include "platform/system_services.h"

class FakeSystem : public SystemServices, public RestartService {
public:
    explicit FakeSystem(std::vector<std::string>& log) : log_(log) {}

    int versionResult = 1;
    std::uint32_t platformId = kPlatformNt;
    std::uint32_t majorVersion = 5;
    int openTokenResult = 1;
    TokenHandle token = reinterpret_cast<TokenHandle>(0x7A);
    int lookupResult = 1;
    PrivilegeId shutdownId{0x13, 0};
    std::uint32_t lastError = 0;
    int exitResult = 1;
    std::string currentDirectory = "C:\\TOOLS";
    bool currentDirectoryFails = false;
    // Whether the system is currently asked to stay awake.
    bool keptAwake = false;
    std::uint32_t clock = 0;
    std::uint32_t clockStep = 0;

    int QueryVersion(OsVersionRecord& record) override;
    int OpenProcessToken(std::uint32_t access, TokenHandle& handle) override;
    int LookupPrivilege(const char* name, PrivilegeId& id) override;
    int AdjustTokenPrivileges(TokenHandle handle, const PrivilegeId& id, std::uint32_t attributes) override;
    int CloseToken(TokenHandle handle) override;
    std::uint32_t GetLastError() override;
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    void Sleep(std::uint32_t milliseconds) override;
    // Not logged: `clock`, moved on by `clockStep` at every reading.
    std::uint32_t Milliseconds() override { return clock += clockStep; }
    void KeepSystemAwake(bool awake) override;
    // Not logged: a query without effect.
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;

    static std::string Hex(std::uint64_t value);

private:
    std::vector<std::string>& log_;
};
