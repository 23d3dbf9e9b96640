#include "platform/portable/posix_system_services.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int PosixSystemServices::QueryVersion(OsVersionRecord&) { return 0; }
int PosixSystemServices::OpenProcessToken(std::uint32_t, TokenHandle& token) {
    token = nullptr;
    return 0;
}
int PosixSystemServices::LookupPrivilege(const char*, PrivilegeId&) { return 0; }
int PosixSystemServices::AdjustTokenPrivileges(TokenHandle, const PrivilegeId&, std::uint32_t) { return 0; }
int PosixSystemServices::CloseToken(TokenHandle) { return 0; }
std::uint32_t PosixSystemServices::GetLastError() { return 0; }
int PosixSystemServices::ExitWindowsEx(std::uint32_t, std::uint32_t) { return 0; }

void PosixSystemServices::Sleep(std::uint32_t milliseconds) {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

void PosixSystemServices::KeepSystemAwake(bool) {}

std::uint32_t PosixSystemServices::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    if (getcwd(buffer, bufferLength) != nullptr) return static_cast<std::uint32_t>(std::strlen(buffer));
    return 0;
}
