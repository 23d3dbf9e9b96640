#include "platform/linux/linux_services.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace linux_platform {
namespace {

// The first line of `folder`/`name`/`attribute` into `value`; false when
// there is no such file.
bool ReadAttribute(const char* folder, const char* name, const char* attribute, char (&value)[64]) {
    PathText path;
    path.Format("%s/%s/%s", folder, name, attribute);
    return ReadSysfsLine(path.c_str(), value, sizeof value);
}

bool Is(const char* value, const char* expected) { return std::strcmp(value, expected) == 0; }

}  // namespace

bool ReadSysfsLine(const char* path, char* text, std::size_t size) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t length = read(fd, text, size - 1);
    close(fd);
    if (length <= 0) return false;
    text[length] = '\0';
    text[std::strcspn(text, "\n")] = '\0';
    return true;
}

SysfsPowerSource::SysfsPowerSource(const char* folder) { folder_.Assign(folder); }

PowerStatus SysfsPowerSource::Read() {
    PowerStatus status;
    bool mainsOnline = false;
    bool discharging = false;
    DirectoryReader supplies(folder_.c_str());
    for (const char* name = supplies.Next(); name != nullptr; name = supplies.Next()) {
        if (name[0] == '.') continue;
        char value[64];
        if (ReadAttribute(folder_.c_str(), name, "scope", value) && Is(value, "Device")) continue;
        if (!ReadAttribute(folder_.c_str(), name, "type", value)) continue;
        if (Is(value, "Mains") || Is(value, "USB")) {
            if (ReadAttribute(folder_.c_str(), name, "online", value) && Is(value, "1")) mainsOnline = true;
        } else if (Is(value, "Battery")) {
            if (ReadAttribute(folder_.c_str(), name, "status", value) && Is(value, "Discharging")) discharging = true;
            if (ReadAttribute(folder_.c_str(), name, "capacity", value)) {
                const int percent = std::atoi(value);
                if (status.percent < 0 || percent < status.percent) status.percent = percent;
            }
        }
    }
    status.onBattery = discharging && !mainsOnline;
    return status;
}

}  // namespace linux_platform
