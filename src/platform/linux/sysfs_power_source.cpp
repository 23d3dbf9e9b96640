#include "platform/linux/linux_services.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace linux_platform {
namespace {

// The first line of `folder`/`name`/`attribute` into `value`; false when
// there is no such file.
bool ReadAttribute(const char* folder, const char* name, const char* attribute, char (&value)[64]) {
    PathText path;
    path.Format("%s/%s/%s", folder, name, attribute);
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return false;
    const bool read = std::fgets(value, sizeof value, file) != nullptr;
    std::fclose(file);
    if (!read) return false;
    value[std::strcspn(value, "\n")] = '\0';
    return true;
}

bool Is(const char* value, const char* expected) { return std::strcmp(value, expected) == 0; }

}  // namespace

SysfsPowerSource::SysfsPowerSource(const char* folder) { folder_.Assign(folder); }

PowerStatus SysfsPowerSource::Read() {
    PowerStatus status;
    DIR* dir = opendir(folder_.c_str());
    if (dir == nullptr) return status;
    bool mainsOnline = false;
    bool discharging = false;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
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
    closedir(dir);
    status.onBattery = discharging && !mainsOnline;
    return status;
}

}  // namespace linux_platform
