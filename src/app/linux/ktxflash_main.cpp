// The entry point of ktxflash on Linux: the terminal front-end over the
// SCSI generic devices in /dev.

#include <unistd.h>

#include <cstdio>

#include "app/terminal/sg_io_flash_devices.h"
#include "app/terminal/flash_program.h"
#include "platform/linux/linux_scsi_generic_devices.h"
#include "platform/buffer_allocator.h"
#include "platform/linux/linux_services.h"

int main(int argc, char** argv) {
    sgio::LinuxScsiGenericDevices devices("/dev");
    SgIoFlashDevices flashDevices(devices);
    linux_platform::LinuxSystemServices system;
    linux_platform::HeldSignals interrupts;
    linux_platform::SysfsPowerSource power;
    PageAlignedAllocator memory;
    linux_platform::ThreadWaitTimer waitTimer;
    const FirmwarePackage package = FirmwarePackage::Embedded();
    terminal::FlashServices services{flashDevices, system, &interrupts, memory, package, stdout, stderr, stdin,
                                     isatty(STDOUT_FILENO) == 1, isatty(STDIN_FILENO) == 1, &power,
                                     terminal::kLinuxFlashConventions, &waitTimer};
    return terminal::RunFlashProgram(argv[0], argc - 1, argv + 1, services);
}
