#include "fake_system.h"

#include <cstdio>
#include <cstring>

std::string FakeSystem::Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

int FakeSystem::QueryVersion(OsVersionRecord& record) {
    log_.push_back("QueryVersion(size=" + std::to_string(record.dwOSVersionInfoSize) + ")");
    if (versionResult == 0) return 0;
    record.dwMajorVersion = majorVersion;
    record.dwPlatformId = platformId;
    return versionResult;
}

int FakeSystem::OpenProcessToken(std::uint32_t access, TokenHandle& handle) {
    log_.push_back("OpenProcessToken(" + Hex(access) + ")");
    if (openTokenResult != 0) handle = token;
    return openTokenResult;
}

int FakeSystem::LookupPrivilege(const char* name, PrivilegeId& id) {
    log_.push_back(std::string("LookupPrivilege(") + (name ? name : "null") + ")");
    if (lookupResult != 0) id = shutdownId;
    return lookupResult;
}

int FakeSystem::AdjustTokenPrivileges(TokenHandle handle, const PrivilegeId& id, std::uint32_t attributes) {
    log_.push_back("AdjustTokenPrivileges(" + Hex(reinterpret_cast<std::uintptr_t>(handle)) + "," +
                   Hex(id.lowPart) + ":" + std::to_string(id.highPart) + "," + Hex(attributes) + ")");
    return 1;
}

int FakeSystem::CloseToken(TokenHandle handle) {
    log_.push_back("CloseToken(" + Hex(reinterpret_cast<std::uintptr_t>(handle)) + ")");
    return 1;
}

std::uint32_t FakeSystem::GetLastError() {
    log_.push_back("GetLastError()=" + std::to_string(lastError));
    return lastError;
}

int FakeSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    log_.push_back("ExitWindowsEx(" + std::to_string(flags) + "," + std::to_string(reserved) + ")");
    return exitResult;
}

void FakeSystem::Sleep(std::uint32_t milliseconds) { log_.push_back("Sleep(" + std::to_string(milliseconds) + ")"); }

std::uint32_t FakeSystem::CurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    if (currentDirectoryFails) return 0;
    const auto length = static_cast<std::uint32_t>(currentDirectory.size());
    if (length + 1 > bufferLength) return length + 1;  // the room it needs
    std::memcpy(buffer, currentDirectory.c_str(), length + 1);
    return length;
}
