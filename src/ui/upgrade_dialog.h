#pragma once
// The program's one window: the drive selector, the status line, the
// progress bar and the Upgrade and Exit buttons. It holds the state the
// firmware operations share while it is open and runs the operation of each
// button on the context the application gives it (whose port is the
// dialog's face, ui/dialog_port.h).

#include <cstdint>
#include <optional>

#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"
#include "firmware/upgrade_procedure.h"
#include "ui/dialog_window.h"

// What the dialog works with, wired by the application (Win32) or by a
// test (fakes). `gui` must be set; `package` is the firmware package the
// program carries (its marker decides whether Upgrade is offered).
struct DialogServices {
    DialogWindow* gui = nullptr;
    const FirmwarePackage* package = nullptr;
};

class UpgradeDialog {
public:
    explicit UpgradeDialog(const DialogServices& services);
    UpgradeDialog(const UpgradeDialog&) = delete;
    UpgradeDialog& operator=(const UpgradeDialog&) = delete;

    // The context the buttons' operations run on from now on; null: the
    // buttons do nothing. It must outlive its use.
    void SetOperations(const FirmwareContext* context) { operations_ = context; }

    // Called by the GUI layer once the template's controls exist.
    bool OnInitDialog();
    // Path field <-> state.firmwarePath; toControls runs at initialisation,
    // the other direction when the dialog ends through OnOK.
    void DoDataExchange(bool toControls);
    // Command notifications (button clicks) by id; false when not routed.
    bool OnCommand(int id);
    // WM_PAINT: returns false when the platform's default processing must run.
    bool OnPaint();
    IconHandle OnQueryDragIcon() const { return icon; }
    // The base OnOK: data exchange towards the members, then end with IDOK.
    void OnOK();

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
    // The one re-entry guard of the program: true while a routed command (a
    // firmware operation or the exit handler) runs. Message boxes and the
    // file dialog have no owner window, so commands still arrive meanwhile,
    // through their nested message loops; they are dropped.
    bool commandRunning_ = false;
};

// The dialog's three commands over the firmware operations, each with the
// dialog's own part around them: the status it starts with, the drive
// chosen in the selector, and the states of the browse (1014), Upgrade
// (1010) and Exit (1011) buttons while the operation runs and after each
// of its exits. The operations report through the context's port, the
// dialog's face (ui/dialog_port.h).

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
