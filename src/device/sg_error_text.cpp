#include "device/sg_error_text.h"

namespace sgio {

const char* DeviceErrorText(DeviceError error) {
    switch (error) {
    case DeviceError::None:
        return "";
    case DeviceError::NoDevices:
        return "no SCSI generic devices (/dev/sg*): the sg driver is not loaded; load it with 'modprobe sg' as root";
    case DeviceError::NoSuchDevice:
        return "no such file; name a drive that --list shows (a /dev/sg* device)";
    case DeviceError::IsDirectory:
        return "is a directory, not a device; name a drive that --list shows (a /dev/sg* device)";
    case DeviceError::AccessDenied:
        return "permission denied: join the group that owns the device (see 'ls -l' of it), or run as root";
    case DeviceError::NotPermitted:
        return "the kernel refused the firmware command: only a process with CAP_SYS_RAWIO (root) may send "
               "firmware commands through SG_IO, while listing and saving work for the device's group; "
               "run as root to flash";
    case DeviceError::Busy:
        return "another program has the drive open (a mounted disc, a player, a burner): unmount the disc or close "
               "that program and try again";
    case DeviceError::Gone:
        return "the device is gone (unplugged, powered off or its driver unbound); reconnect the drive and find it "
               "again with --list";
    case DeviceError::NotScsiGeneric:
        return "not a SCSI generic device; name a drive that --list shows (a /dev/sg* device)";
    case DeviceError::TransferTooLong:
        return "the system refused the transfer before it reached the drive: it is longer than this device takes in "
               "one command (max_hw_sectors_kb of its queue in sysfs); connect the drive through another USB port "
               "or enclosure (some USB bridges are limited by a quirk)";
    case DeviceError::Other:
        break;
    }
    return "the system refused the request";
}

}  // namespace sgio
