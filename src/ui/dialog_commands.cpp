#include "ui/dialog_commands.h"

#include "firmware/firmware_file_commands.h"
#include "firmware/status_text.h"

namespace {

// The states of the browse, Upgrade and Exit buttons.
struct Buttons {
    bool browse, upgrade, exit;
};
constexpr Buttons kNone{false, false, false};
constexpr Buttons kAllEnabled{true, true, true};
constexpr Buttons kOnlyExit{false, false, true};       // the drive cannot be upgraded
constexpr Buttons kUpgradeAndExit{false, true, true};  // a new run may start

void SetButtons(DialogWindow& window, Buttons buttons) {
    window.EnableItem(kBrowseButton, buttons.browse);
    window.EnableItem(kUpgradeButton, buttons.upgrade);
    window.EnableItem(kExitButton, buttons.exit);
}

// The buttons after each exit of the upgrade: a drive that can never be
// upgraded leaves only Exit; a failure of the moment leaves everything.
Buttons ButtonsAfter(UpgradeExit exit) {
    switch (exit) {
    case UpgradeExit::OpenFailed:
    case UpgradeExit::WrongImageSize:
    case UpgradeExit::NoImageMemory:
    case UpgradeExit::NoReadMemory:
        return kAllEnabled;
    case UpgradeExit::TypeUnknown:
    case UpgradeExit::NotDvdRomOnly:
    case UpgradeExit::RevisionMismatch:
        return kOnlyExit;
    case UpgradeExit::SumMismatch:
    case UpgradeExit::NoWarningText:
    case UpgradeExit::FirstNo:
    case UpgradeExit::SecondNo:
    case UpgradeExit::NotAsked:
    case UpgradeExit::Upgraded:
    case UpgradeExit::DownloadFailed:
    case UpgradeExit::Uncombined:
        break;
    }
    return kUpgradeAndExit;
}

// The record at the selector's index, remembered as the state's
// selectedDevice. A drive is always chosen while drives are shown; should
// none be, the status says so and the result is null.
const DeviceRecord* TakeChosenDrive(DialogWindow& window, FirmwareState& state) {
    const DeviceRecord* chosen = state.devices.RecordAt(window.ComboGetCurSel(kDeviceSelector));
    if (chosen == nullptr) {
        window.SetItemText(kStatusLine, kNoDeviceText);
        return nullptr;
    }
    state.selectedDevice = chosen;
    return chosen;
}

// Runs the questions and the download on an open session.
UpgradeExit ConfirmAndDownload(DialogWindow& window, UpgradeSession& session, FirmwareState& state) {
    // Upgrade stays enabled from here on unless an exit or the download
    // disables it.
    window.EnableItem(kUpgradeButton, true);
    char warning[kConfirmationTextRoom] = {};
    const int loaded = window.LoadText(kConfirmationStringId, warning, kConfirmationTextRoom);
    // Whatever the loader reports, the text ends within the room.
    if (loaded > 0) warning[loaded < kConfirmationTextRoom ? loaded : kConfirmationTextRoom - 1] = '\0';
    if (const std::optional<UpgradeExit> refused = session.Confirm(loaded > 0 ? warning : nullptr)) return *refused;
    DownloadEnd end;
    return session.Download(state, end);
}

}  // namespace

std::optional<UpgradeExit> RunUpgradeCommand(DialogWindow& window, const FirmwareContext& context,
                                             FirmwareState& state) {
    if (const std::optional<UpgradeExit> refused = CheckPackage(context)) {
        window.EnableItem(kUpgradeButton, false);
        return refused;
    }
    window.SetItemText(kStatusLine, kStartFlashingText);
    const DeviceRecord* drive = TakeChosenDrive(window, state);
    if (drive == nullptr) return std::nullopt;
    SetButtons(window, kNone);

    UpgradeSession session(context);
    const std::optional<UpgradeExit> refused = session.CheckDrive(*drive);
    const UpgradeExit exit = refused ? *refused : ConfirmAndDownload(window, session, state);
    switch (exit) {
    case UpgradeExit::Upgraded:
        // The download has enabled Upgrade at its end.
        state.restartNeeded = 1;
        window.EnableItem(kExitButton, true);
        break;
    case UpgradeExit::DownloadFailed:
        // The download's error text stays.
        window.EnableItem(kUpgradeButton, true);
        window.EnableItem(kExitButton, true);
        break;
    default:
        SetButtons(window, ButtonsAfter(exit));
        break;
    }
    return exit;
}

void RunSaveCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state) {
    window.SetItemText(kStatusLine, "Save Firmware...");
    const DeviceRecord* drive = TakeChosenDrive(window, state);
    if (drive == nullptr) return;
    // Disabled for the whole save, in this order, and enabled again in the
    // same order whichever way it ends.
    SetButtons(window, kNone);
    SaveFirmware(context, state, *drive);
    SetButtons(window, kAllEnabled);
}

void RunBrowseCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state) {
    if (!BrowseFirmwareFile(context, state)) return;
    window.SetItemText(kPathField, state.firmwarePath.c_str());
    window.EnableItem(kUpgradeButton, true);
    window.SetItemText(kStatusLine, "Select Firmware or Click Upgrade to Upgrade...");
}
