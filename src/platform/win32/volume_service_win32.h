#pragma once
// The volume service of the product: CreateFileA, DeviceIoControl and
// CloseHandle on drive-letter volumes, and the registry's SCSI device map.

#include "platform/volume_service.h"

namespace platform {

class Win32VolumeService : public VolumeService {
public:
    VolumeHandle OpenVolume(const char* name, std::uint32_t access, std::uint32_t sharing) override;
    int DeviceIoControl(VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength, void* out,
                        std::uint32_t outLength) override;
    std::uint32_t LastError() override;
    int CloseVolume(VolumeHandle handle) override;
    DeviceMapResult ReadScsiDeviceMap(std::uint32_t& subkeyCount) override;
};

}  // namespace platform
