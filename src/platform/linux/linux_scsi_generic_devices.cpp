#include "platform/linux/linux_scsi_generic_devices.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sgio {
namespace {

// Closes the directory on every way out of the listing.
class DirectoryReader {
public:
    explicit DirectoryReader(const char* path) : dir_(opendir(path)) {}
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;
    ~DirectoryReader() {
        if (dir_ != nullptr) closedir(dir_);
    }
    const char* Next() {
        if (dir_ == nullptr) return nullptr;
        const dirent* entry = readdir(dir_);
        return entry != nullptr ? entry->d_name : nullptr;
    }

private:
    DIR* dir_;
};

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

int LinuxScsiGenericDevices::Open(const char* path, DeviceError& error) {
    // O_NONBLOCK keeps the open from waiting on a device another program
    // holds exclusively; SG_IO itself always blocks until the command ends.
    const int fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    error = fd < 0 ? DeviceErrorFromErrno(errno) : DeviceError::None;
    return fd < 0 ? kNoHandle : fd;
}

int LinuxScsiGenericDevices::OpenExclusive(const char* path, DeviceError& error) {
    const int fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC | O_EXCL);
    if (fd < 0) {
        error = DeviceErrorFromErrno(errno);
        return kNoHandle;
    }
    error = HoldBlockDevice(path);
    if (error != DeviceError::None) {
        close(fd);
        return kNoHandle;
    }
    heldFor_ = fd;
    return fd;
}

DeviceError LinuxScsiGenericDevices::HoldBlockDevice(const char* path) {
    const char* slash = std::strrchr(path, '/');
    const char* node = slash != nullptr ? slash + 1 : path;
    char blockFolder[kDevicePathCapacity + 32];
    std::snprintf(blockFolder, sizeof blockFolder, "%s/%s/device/block", sysfsClass_, node);
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
    switch (error) {
    case 0:
        return DeviceError::None;
    case ENOENT:
        return DeviceError::NoSuchDevice;
    case EACCES:
        return DeviceError::AccessDenied;
    case EPERM:
        return DeviceError::NotPermitted;
    case EBUSY:
        return DeviceError::Busy;
    case ENODEV:
    case ENXIO:
        return DeviceError::Gone;
    case ENOTTY:
    case EINVAL:
        return DeviceError::NotScsiGeneric;
    default:
        return DeviceError::Other;
    }
}

}  // namespace sgio
