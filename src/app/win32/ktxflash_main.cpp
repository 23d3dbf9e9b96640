// The entry point of ktxflash.exe: the terminal front-end over the dialog
// program's transports (NT pass-through on the drive-letter volumes, or
// ASPI for Win32 on Windows 95/98). A console program.

#include <io.h>

#include <cstdio>

#include "app/transport_factory.h"
#include "app/terminal/flash_program.h"
#include "app/terminal/windows_flash_devices.h"
#include "firmware/firmware_package.h"
#include "platform/buffer_allocator.h"
#include "platform/win32/win32_services.h"

int main(int argc, char** argv) {
    platform::Win32SystemServices system;
    platform::Win32AspiLibrary aspi;
    platform::Win32VolumeService volumes;
    ServiceTransportFactory transports(aspi, volumes);
    platform::ConsoleBreakGuard breakGuard;
    WindowsFlashDevices devices(system, transports);
    Win32PowerSource power;
    PageAlignedAllocator memory;
    platform::Win32WaitTimer waitTimer;
    const FirmwarePackage package = FirmwarePackage::Embedded();
    terminal::FlashServices services{devices, system, &breakGuard, memory, package, stdout, stderr, stdin,
                                     _isatty(_fileno(stdout)) != 0, _isatty(_fileno(stdin)) != 0, &power,
                                     terminal::kWindowsFlashConventions, &waitTimer};
    return terminal::RunFlashProgram(argv[0], argc - 1, argv + 1, services);
}
