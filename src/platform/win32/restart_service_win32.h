#pragma once
// The dialog program's restart: the process token, the shutdown privilege
// (advapi32) and ExitWindowsEx (user32).

#include "platform/restart_service.h"

namespace platform {

class Win32RestartService : public RestartService {
public:
    int OpenProcessToken(std::uint32_t access, TokenHandle& token) override;
    int LookupPrivilege(const char* name, PrivilegeId& id) override;
    int AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) override;
    int CloseToken(TokenHandle token) override;
    std::uint32_t GetLastError() override;
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
};

}  // namespace platform
