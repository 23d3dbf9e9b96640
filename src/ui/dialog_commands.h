#pragma once
// The dialog's three commands over the firmware operations, each with the
// dialog's own part around them: the status it starts with, the drive
// chosen in the selector, and the states of the browse (1014), Upgrade
// (1010) and Exit (1011) buttons while the operation runs and after each
// of its exits. The operations report through the context's port, the
// dialog's face (ui/dialog_port.h).

#include <optional>

#include "firmware/firmware_context.h"
#include "firmware/upgrade_procedure.h"
#include "ui/dialog_window.h"

// The confirmation text is read into room for 300 characters (at most 299
// and the terminator).
constexpr int kConfirmationTextRoom = 300;

// The Upgrade button: the package, the drive's checks, the questions and
// the download in a row; success sets state.restartNeeded. The exit taken;
// empty when no drive was chosen.
std::optional<UpgradeExit> RunUpgradeCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
// The Save button: the chosen drive's firmware into state.firmwarePath.
void RunSaveCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
// The browse button: a ".bin" file chosen becomes the firmware path.
void RunBrowseCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
