// ktxflash on Linux: its help with Linux examples, sudo in front of a
// printed upgrade command, POSIX paths and quoting.

#include "app/terminal/flash_conventions.h"

namespace terminal {

const FlashConventions kLinuxFlashConventions{
    "Usage: ktxflash [OPTIONS] DEVICE         upgrade the drive's firmware\n"
    "       ktxflash --verify DEVICE         compare its firmware with the image\n"
    "       ktxflash --save FILE DEVICE      save its firmware into FILE\n"
    "       ktxflash --list                  list the drives found\n"
    "       ktxflash --info                  show the embedded firmware package\n"
    "       ktxflash --help | --version\n"
    "\n"
    "DEVICE is a drive as --list shows it: a SCSI generic device, /dev/sgN.\n"
    "The upgrade needs root (sudo); --list, --info, --verify and --save need\n"
    "only the rights to open the device.\n"
    "Examples:\n"
    "  ktxflash --list\n"
    "  sudo ktxflash --dry-run /dev/sg1\n"
    "  sudo ktxflash /dev/sg1\n",
    "sudo ", '/', true};

}  // namespace terminal
