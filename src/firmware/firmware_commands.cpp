#include "firmware_commands.h"

#include "firmware_file_commands.h"
#include "program_state.h"
#include "upgrade_dialog.h"
#include "upgrade_procedure.h"

// The dialog runs only after start-up has created the program's transport;
// without one there is no drive to talk to and the commands do nothing.

void RunUpgradeCommand(UpgradeDialog& dialog) {
    if (g_transport == nullptr) return;
    RunUpgrade(dialog, *g_transport, dialog.services().package, g_versionCheckMask);
}

void RunSaveCommand(UpgradeDialog& dialog) {
    if (g_transport == nullptr) return;
    RunSave(dialog, *g_transport);
}

void RunBrowseCommand(UpgradeDialog& dialog) { RunBrowse(dialog); }
