// The entry point of ktxflash on Linux: the terminal front-end over the
// SCSI generic devices in /dev.

#include <unistd.h>

#include <cstdio>

#include "app/terminal/sg_io_flash_devices.h"
#include "app/terminal/flash_program.h"
#include "platform/linux/linux_scsi_generic_devices.h"
#include "platform/page_aligned_allocator.h"
#include "platform/linux/held_signals.h"
#include "platform/linux/linux_system_services.h"
#include "platform/linux/sysfs_power_source.h"
#include "platform/linux/thread_wait_timer.h"

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
