#pragma once
// The program's one window: the drive selector, the status line, the
// progress bar and the buttons. It holds the state the firmware operations
// share while it is open and runs the command of each button on the context
// the application gives it (whose port is the dialog's face, dialog_port.h).
// Each command sets the status it starts with, takes the drive chosen in
// the selector, and sets the browse, Upgrade and Exit buttons while the
// operation runs and after each of its exits.

#include <cstdint>
#include <optional>

#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"
#include "firmware/upgrade_procedure.h"
#include "ui/dialog_window.h"

// `gui` must be set; `package` is the firmware package the program carries
// (its marker decides whether Upgrade is offered).
struct DialogServices {
    DialogWindow* gui = nullptr;
    const FirmwarePackage* package = nullptr;
};

class UpgradeDialog {
public:
    explicit UpgradeDialog(const DialogServices& services) : services_(services) {
        icon = gui().LoadAppIcon(kAppIconId);
    }

    // The context the buttons' operations run on (null: they do nothing).
    void SetOperations(const FirmwareContext* context) { operations_ = context; }

    // Called by the GUI layer once the template's controls exist.
    bool OnInitDialog();
    // Path field <-> state.firmwarePath.
    void DoDataExchange(bool toControls) {
        if (toControls)
            gui().SetItemText(kPathField, state.firmwarePath.c_str());
        else
            gui().GetItemText(kPathField, state.firmwarePath);
    }
    // Command notifications (button clicks) by id; false when not routed.
    bool OnCommand(int id);
    // WM_PAINT: returns false when the platform's default processing must run.
    bool OnPaint();
    IconHandle OnQueryDragIcon() const { return icon; }
    // The base OnOK: data exchange towards the members, then end with IDOK.
    void OnOK() {
        DoDataExchange(false);
        gui().EndDialog(kIdOk);
    }

    DialogWindow& gui() const { return *services_.gui; }

    // What the firmware operations read and write.
    FirmwareState state;
    // 1 when the user agreed to restart the PC on leaving.
    std::int32_t restartConfirmed = 0;
    IconHandle icon = nullptr;

private:
    void OnExit();

    DialogServices services_;
    const FirmwareContext* operations_ = nullptr;
    // The one re-entry guard of the program: true while a routed command
    // runs (see OnCommand).
    bool commandRunning_ = false;
};

// The confirmation text is read into room for 300 characters.
constexpr int kConfirmationTextRoom = 300;

// The Upgrade button: the package, the drive's checks, the questions and
// the download in a row. The exit taken; empty when no drive was chosen.
std::optional<UpgradeExit> RunUpgradeCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
// The Save button: the chosen drive's firmware into state.firmwarePath.
void RunSaveCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
// The browse button: a ".bin" file chosen becomes the firmware path.
void RunBrowseCommand(DialogWindow& window, const FirmwareContext& context, FirmwareState& state);
