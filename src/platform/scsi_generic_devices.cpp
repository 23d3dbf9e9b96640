#include "platform/scsi_generic_devices.h"

namespace sgio {

DeviceError OpenedScsiDevice::Send(SgIoHeader& request) {
    if (!isOpen()) return DeviceError::Gone;
    return devices_->Send(handle_, request);
}

void OpenedScsiDevice::Close() {
    if (isOpen()) devices_->Close(handle_);
    devices_ = nullptr;
    handle_ = ScsiGenericDevices::kNoHandle;
}

bool ScsiGenericNodeNumber(const char* name, unsigned& number) {
    if (name[0] != 's' || name[1] != 'g' || name[2] == '\0') return false;
    unsigned value = 0;
    std::size_t digits = 0;
    for (const char* p = name + 2; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || ++digits > 6) return false;
        value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    number = value;
    return true;
}

DeviceError OpenScsiDevice(ScsiGenericDevices& devices, const char* path, OpenedScsiDevice& device,
                           bool exclusive) {
    device.Close();
    DeviceError error = DeviceError::None;
    const int handle = exclusive ? devices.OpenExclusive(path, error) : devices.Open(path, error);
    if (handle == ScsiGenericDevices::kNoHandle) return error == DeviceError::None ? DeviceError::Other : error;
    device = OpenedScsiDevice(devices, handle);
    return DeviceError::None;
}

}  // namespace sgio
