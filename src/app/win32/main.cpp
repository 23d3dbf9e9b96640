// The entry point of ktxupgrade.exe: the dialog program over the drive-letter
// volumes and the SCSI device map of the running system. The command line
// is ignored.

#include <windows.h>

#include "app/win32/upgrade_program.h"
#include "platform/win32/win32_services.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::Win32VolumeService volumes;
    return RunUpgradeProgram(volumes);
}
