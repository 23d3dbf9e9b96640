#pragma once
// The SCSI generic devices of this Linux system: /dev/sg* listed from the
// device directory, opened read-write, SG_IO sent with ioctl.

#include "platform/scsi_generic_devices.h"

namespace sgio {

// Most devices the listing sorts; further ones are left out.
constexpr std::size_t kMaxListedDevices = 256;

class LinuxScsiGenericDevices : public ScsiGenericDevices {
public:
    // `directory` holds the sg device nodes: "/dev" on a real system.
    explicit LinuxScsiGenericDevices(const char* directory = "/dev");

    std::size_t List(DevicePath* paths, std::size_t capacity) override;
    int Open(const char* path, DeviceError& error) override;
    DeviceError Send(int handle, SgIoHeader& request) override;
    void Close(int handle) override;

private:
    char directory_[kDevicePathCapacity];
};

// How an errno from open or ioctl reads in the terms users meet.
DeviceError DeviceErrorFromErrno(int error);

}  // namespace sgio
