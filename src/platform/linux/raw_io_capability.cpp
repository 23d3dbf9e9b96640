#include "platform/linux/linux_services.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// CAP_SYS_RAWIO's bit in the capability sets (linux/capability.h).
constexpr unsigned kCapSysRawIo = 17;

}  // namespace

bool ParseEffectiveCapabilities(const char* statusText, unsigned long long& capabilities) {
    const char* line = std::strstr(statusText, "CapEff:");
    if (line == nullptr) return false;
    char* end = nullptr;
    capabilities = std::strtoull(line + 7, &end, 16);
    return end != line + 7;
}

bool ProcessHasRawIoCapability() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return true;
    char text[8192];
    const std::size_t length = std::fread(text, 1, sizeof text - 1, status);
    std::fclose(status);
    text[length] = '\0';
    unsigned long long capabilities = 0;
    if (!ParseEffectiveCapabilities(text, capabilities)) return true;
    return (capabilities >> kCapSysRawIo & 1u) != 0;
}
