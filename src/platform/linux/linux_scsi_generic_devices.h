#pragma once
// The SCSI generic devices of this Linux system: /dev/sg* listed from the
// device directory, opened read-write, SG_IO sent with ioctl. For the
// download a device is opened with O_EXCL, and the drive's block device
// (/dev/srN, found through sysfs) is held with O_EXCL | O_NONBLOCK until the
// device is closed, so a mounted disc or another program refuses it.

#include "platform/scsi_generic_devices.h"

namespace sgio {

// Most devices the listing sorts; further ones are left out.
constexpr std::size_t kMaxListedDevices = 256;

class LinuxScsiGenericDevices : public ScsiGenericDevices {
public:
    // `directory` holds the sg device nodes (and the block devices): "/dev"
    // on a real system; `sysfsClass` the sg class folder of sysfs.
    explicit LinuxScsiGenericDevices(const char* directory = "/dev",
                                     const char* sysfsClass = "/sys/class/scsi_generic");

    std::size_t List(DevicePath* paths, std::size_t capacity) override;
    int Open(const char* path, DeviceError& error) override;
    int OpenExclusive(const char* path, DeviceError& error) override;
    DeviceError Send(int handle, SgIoHeader& request) override;
    int LastSendErrno() const override { return lastSendErrno_; }
    // Gone when the node is missing, when sysfs no longer lists an sg node,
    // or when its SCSI device is offline or being deleted.
    bool StillThere(const char* path) override;
    // For an sg node: max_hw_sectors_kb of the queue of its block device
    // (what the kernel checks a passed-through command against: a longer
    // one fails with EINVAL), else the max_sectors attribute that
    // usb-storage gives the SCSI device (it sets that same limit).
    TransferLimit ReadTransferLimit(const char* path) override;
    void Close(int handle) override;

private:
    // "<sysfsClass>/<sgN>" of the sg node `path` names into `folder`;
    // false when its name is not an sg node's.
    bool SysfsFolder(const char* path, char* folder, std::size_t size) const;
    // Opens the block device of the sg node `path` names exclusively into
    // heldBlockDevice_; None also when it has none.
    DeviceError HoldBlockDevice(const char* path);

    char directory_[kDevicePathCapacity];
    char sysfsClass_[kDevicePathCapacity];
    // The block device held for the exclusively opened sg handle, or -1.
    int heldBlockDevice_ = -1;
    int heldFor_ = kNoHandle;
    int lastSendErrno_ = 0;
};

// How an errno from open or ioctl reads in the terms users meet.
DeviceError DeviceErrorFromErrno(int error);

}  // namespace sgio

// Whether this process has CAP_SYS_RAWIO in its effective set, which
// ktxflash asks of a process that flashes (the kernel asks it of firmware
// commands where it filters them: read-only opens of /dev/sgN, the block
// device). Read from /proc/self/status, needing no library; yes when that
// cannot be read, and the kernel decides.
bool ProcessHasRawIoCapability();
