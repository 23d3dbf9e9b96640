// ktxupgrade.exe: drive-letter volumes and the SCSI device map of the
// running system.

#include "program_volume_service.h"
#include "volume_service_win32.h"

platform::VolumeService& ProgramVolumeService() {
    static platform::Win32VolumeService volumes;
    return volumes;
}
