#include "platform/linux/linux_scsi_generic_devices.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/linux/linux_services.h"

namespace sgio {
namespace {

using linux_platform::DirectoryReader;
using linux_platform::ReadSysfsLine;

const char* NodeName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// Opens `path` only to name it (O_PATH: no driver is asked, no rights
// beyond finding it are needed); -1 with errno when there is nothing.
int OpenPathOnly(const char* path, int flags = 0) { return open(path, O_PATH | O_CLOEXEC | flags); }

bool FolderExists(const char* path) {
    const int fd = OpenPathOnly(path, O_DIRECTORY);
    if (fd < 0) return false;
    close(fd);
    return true;
}

bool ReadSysfsNumber(const char* path, std::uint32_t& number) {
    char text[32];
    if (!ReadSysfsLine(path, text, sizeof text) || text[0] < '0' || text[0] > '9') return false;
    number = static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10));
    return true;
}

// Refuses, before any open, a path that is no device node: None when it is
// a character or block device. Looked at before the open, so that a plain
// file or a folder reads the same for root and for a user who may not open it.
DeviceError CheckNode(const char* path) {
    const int fd = OpenPathOnly(path);
    if (fd < 0) return DeviceErrorFromErrno(errno);
    struct stat node;
    const int statted = fstat(fd, &node);
    close(fd);
    if (statted != 0) return DeviceError::Other;
    if (S_ISDIR(node.st_mode)) return DeviceError::IsDirectory;
    if (!S_ISCHR(node.st_mode) && !S_ISBLK(node.st_mode)) return DeviceError::NotScsiGeneric;
    return DeviceError::None;
}

// Opens a device node read-write, with `flags` added.
int OpenNode(const char* path, int flags, DeviceError& error) {
    error = CheckNode(path);
    if (error != DeviceError::None) return ScsiGenericDevices::kNoHandle;
    // O_NONBLOCK keeps the open from waiting on a device another program
    // holds exclusively; SG_IO itself always blocks until the command ends.
    const int fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC | flags);
    error = fd < 0 ? DeviceErrorFromErrno(errno) : DeviceError::None;
    return fd < 0 ? ScsiGenericDevices::kNoHandle : fd;
}

}  // namespace

LinuxScsiGenericDevices::LinuxScsiGenericDevices(const char* directory, const char* sysfsClass) {
    std::snprintf(directory_, sizeof directory_, "%s", directory);
    std::snprintf(sysfsClass_, sizeof sysfsClass_, "%s", sysfsClass);
}

std::size_t LinuxScsiGenericDevices::List(DevicePath* paths, std::size_t capacity) {
    unsigned numbers[kMaxListedDevices];
    std::size_t found = 0;
    DirectoryReader reader(directory_);
    for (const char* name = reader.Next(); name != nullptr && found < kMaxListedDevices; name = reader.Next()) {
        unsigned number = 0;
        if (ScsiGenericNodeNumber(name, number)) numbers[found++] = number;
    }
    std::sort(numbers, numbers + found);
    std::size_t written = 0;
    for (std::size_t i = 0; i < found && written < capacity; ++i) {
        const int length = std::snprintf(paths[written].text, kDevicePathCapacity, "%s/sg%u", directory_, numbers[i]);
        if (length > 0 && static_cast<std::size_t>(length) < kDevicePathCapacity) ++written;
    }
    return written;
}

int LinuxScsiGenericDevices::Open(const char* path, DeviceError& error) { return OpenNode(path, 0, error); }

int LinuxScsiGenericDevices::OpenExclusive(const char* path, DeviceError& error) {
    const int fd = OpenNode(path, O_EXCL, error);
    if (fd == kNoHandle) return kNoHandle;
    error = HoldBlockDevice(path);
    if (error != DeviceError::None) {
        close(fd);
        return kNoHandle;
    }
    heldFor_ = fd;
    return fd;
}

DeviceError LinuxScsiGenericDevices::HoldBlockDevice(const char* path) {
    char blockFolder[kDevicePathCapacity + 32];
    std::snprintf(blockFolder, sizeof blockFolder, "%s/%s/device/block", sysfsClass_, NodeName(path));
    DirectoryReader reader(blockFolder);
    for (const char* name = reader.Next(); name != nullptr; name = reader.Next()) {
        if (name[0] == '.') continue;
        char blockPath[kDevicePathCapacity + 32];
        std::snprintf(blockPath, sizeof blockPath, "%s/%s", directory_, name);
        // O_NONBLOCK: no disc needed; O_EXCL: refused while mounted or held.
        const int fd = open(blockPath, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_EXCL);
        if (fd < 0) return errno == EBUSY ? DeviceError::Busy : DeviceError::None;
        heldBlockDevice_ = fd;
        return DeviceError::None;
    }
    return DeviceError::None;
}

DeviceError LinuxScsiGenericDevices::Send(int handle, SgIoHeader& request) {
    lastSendErrno_ = 0;
    if (ioctl(handle, kSgIo, &request) == 0) return DeviceError::None;
    lastSendErrno_ = errno;
    return DeviceErrorFromErrno(lastSendErrno_);
}

bool LinuxScsiGenericDevices::SysfsFolder(const char* path, char* folder, std::size_t size) const {
    unsigned number = 0;
    const char* node = NodeName(path);
    if (!ScsiGenericNodeNumber(node, number)) return false;
    const int length = std::snprintf(folder, size, "%s/%s", sysfsClass_, node);
    return length > 0 && static_cast<std::size_t>(length) < size;
}

bool LinuxScsiGenericDevices::StillThere(const char* path) {
    // The node goes when the device goes (udev or devtmpfs remove it).
    const int fd = OpenPathOnly(path);
    if (fd < 0) return errno != ENOENT;
    close(fd);
    char folder[kDevicePathCapacity + 32];
    // Only an sg node has a folder of its own in the class; while sysfs
    // lists the class at all, a missing folder is a device taken away.
    if (!SysfsFolder(path, folder, sizeof folder)) return true;
    if (FolderExists(sysfsClass_) && !FolderExists(folder)) return false;
    char statePath[sizeof folder + 16];
    std::snprintf(statePath, sizeof statePath, "%s/device/state", folder);
    char state[32];
    if (!ReadSysfsLine(statePath, state, sizeof state)) return true;
    // The states of a SCSI device that takes no command any more.
    for (const char* dead : {"offline", "transport-offline", "cancel", "deleted"})
        if (std::strcmp(state, dead) == 0) return false;
    return true;
}

TransferLimit LinuxScsiGenericDevices::ReadTransferLimit(const char* path) {
    TransferLimit limit;
    char folder[kDevicePathCapacity + 32];
    if (!SysfsFolder(path, folder, sizeof folder)) return limit;
    char blockFolder[sizeof folder + 16];
    std::snprintf(blockFolder, sizeof blockFolder, "%s/device/block", folder);
    DirectoryReader reader(blockFolder);
    for (const char* name = reader.Next(); name != nullptr; name = reader.Next()) {
        if (name[0] == '.') continue;
        char file[sizeof blockFolder + kDevicePathCapacity + 32];
        std::snprintf(file, sizeof file, "%s/%s/queue/max_hw_sectors_kb", blockFolder, name);
        std::uint32_t kib = 0;
        if (ReadSysfsNumber(file, kib) && kib > 0) return TransferLimit{kib * 1024u, TransferLimitSource::Queue};
    }
    // Without a block device (no sr driver) the queue is not in sysfs;
    // usb-storage shows its limit, in 512-byte sectors, on the SCSI device.
    char file[sizeof folder + 32];
    std::snprintf(file, sizeof file, "%s/device/max_sectors", folder);
    std::uint32_t sectors = 0;
    if (ReadSysfsNumber(file, sectors) && sectors > 0) return TransferLimit{sectors * 512u, TransferLimitSource::UsbStorage};
    return limit;
}

void LinuxScsiGenericDevices::Close(int handle) {
    // Not retried on EINTR: on Linux the descriptor is released either way.
    close(handle);
    if (handle == heldFor_ && heldBlockDevice_ >= 0) {
        close(heldBlockDevice_);
        heldBlockDevice_ = -1;
        heldFor_ = kNoHandle;
    }
}

DeviceError DeviceErrorFromErrno(int error) {
    static const struct {
        int error;
        DeviceError meaning;
    } kMeanings[] = {
        {0, DeviceError::None},
        {ENOENT, DeviceError::NoSuchDevice},
        {ENOTDIR, DeviceError::NoSuchDevice},
        {EISDIR, DeviceError::IsDirectory},
        {EACCES, DeviceError::AccessDenied},
        {EPERM, DeviceError::NotPermitted},
        {EBUSY, DeviceError::Busy},
        {ENODEV, DeviceError::Gone},
        {ENXIO, DeviceError::Gone},
        {ENOTTY, DeviceError::NotScsiGeneric},
        // The sg driver maps a request onto the device's queue first: a
        // transfer beyond the queue's limit fails there with EINVAL.
        {EINVAL, DeviceError::TransferTooLong},
    };
    for (const auto& entry : kMeanings)
        if (entry.error == error) return entry.meaning;
    return DeviceError::Other;
}

}  // namespace sgio

namespace {

// CAP_SYS_RAWIO's bit in the capability sets (linux/capability.h).
constexpr unsigned kCapSysRawIo = 17;

// The effective capability set from the text of /proc/self/status; false
// when the text has no "CapEff:" line.
bool ParseEffectiveCapabilities(const char* statusText, unsigned long long& capabilities) {
    const char* line = std::strstr(statusText, "CapEff:");
    if (line == nullptr) return false;
    char* end = nullptr;
    capabilities = std::strtoull(line + 7, &end, 16);
    return end != line + 7;
}

}  // namespace

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
