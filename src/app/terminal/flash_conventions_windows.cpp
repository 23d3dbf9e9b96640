// ktxflash.exe in the Windows console: its help with Windows examples
// (drive letters on the NT family, ASPI addresses on Windows 95/98),
// Windows paths and cmd.exe quoting.

#include "app/terminal/flash_conventions.h"

namespace terminal {

const FlashConventions kWindowsFlashConventions{
    "Usage: ktxflash.exe [OPTIONS] DEVICE     upgrade the drive's firmware\n"
    "       ktxflash.exe --verify DEVICE     compare its firmware with the image\n"
    "       ktxflash.exe --save FILE DEVICE  save its firmware into FILE\n"
    "       ktxflash.exe --list              list the drives found\n"
    "       ktxflash.exe --info              show the embedded firmware package\n"
    "       ktxflash.exe --help | --version\n"
    "\n"
    "DEVICE is a drive as --list shows it: its letter on Windows NT, 2000 and\n"
    "later (E:), its ASPI address (host adapter:target) on Windows 95/98 (0:1).\n"
    "On the NT family run it from a console opened as administrator.\n"
    "Examples:\n"
    "  ktxflash.exe --list\n"
    "  ktxflash.exe --dry-run E:\n"
    "  ktxflash.exe E:         (Windows NT family: drive E:)\n"
    "  ktxflash.exe 0:1        (Windows 95/98 over ASPI: adapter 0, target 1)\n",
    "", '\\', false};

}  // namespace terminal
