#include "firmware_command_doubles.h"

#include "firmware_commands.h"

namespace {

void Record(const char* command, UpgradeDialog& dialog) {
    FirmwareCommandLog& log = FirmwareCommands();
    log.calls.push_back({command, &dialog});
    if (log.whileRunning) log.whileRunning(dialog);
}

}  // namespace

FirmwareCommandLog& FirmwareCommands() {
    static FirmwareCommandLog log;
    return log;
}

void RunUpgradeCommand(UpgradeDialog& dialog) { Record("upgrade", dialog); }
void RunSaveCommand(UpgradeDialog& dialog) { Record("save", dialog); }
void RunBrowseCommand(UpgradeDialog& dialog) { Record("browse", dialog); }
