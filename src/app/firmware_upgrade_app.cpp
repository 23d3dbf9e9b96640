#include "app/firmware_upgrade_app.h"

#include "firmware/upgrade_procedure.h"
#include "platform/owned_handle.h"

namespace {

constexpr char kCaption[] = "DVD Firmware Upgrade Program";
constexpr char kNoDeviceCaption[] = "Firmware Upgrade Program";

constexpr char kOpenTokenFailed[] = "Reboot : OpenProcessToken Fail!!";
constexpr char kAdjustPrivilegesFailed[] = "Reboot : AdjustTokenPrivileges Fail!!";
constexpr char kExitWindowsFailed[] = "Reboot : ExitWindowsEx Fail!!";

constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

struct CloseToken {
    RestartService* restart;
    void operator()(TokenHandle token) const { restart->CloseToken(token); }
};

}  // namespace

FirmwareUpgradeApp::FirmwareUpgradeApp(SystemServices& system, RestartService& restart, MessageService& messages)
    : system_(system), restart_(restart), messages_(messages) {
    osVersion_.dwOSVersionInfoSize = sizeof(OsVersionRecord);
    const int result = system_.QueryVersion(osVersion_);
    initialized = result;
    if (result != 0 && osVersion_.dwPlatformId == kPlatformWin32s) initialized = 0;
}

bool FirmwareUpgradeApp::InitInstance(const StartupServices& services) {
    if (initialized == 0) {
        ShowFailure(kInitFailedText);
        return false;
    }

    std::unique_ptr<MainDialog> dialog = services.dialogs.Create();
    if (!dialog) {
        // Nothing else exists yet; the run cannot go on without its window.
        ShowFailure(kInitFailedText);
        return false;
    }

    // Before the transport exists, so that the mask is in place whatever
    // creating the transport and searching for drives do.
    versionCheckMask_ = services.package.versionCheckMask();

    transport_ = MakePlatformTransport(osVersion_, services.transports);

    // A transport that could not even be allocated is as unusable as one
    // whose back end did not come up, and is reported the same way.
    if (!transport_ || transport_->initOk == 0) {
        ShowFailure(IsNtFamily() ? kNtInitFailedText : kAspiInitFailedText);
        transport_.reset();
        return false;  // the dialog goes with `dialog`
    }

    FirmwareState& state = dialog->state();
    transport_->Enumerate(state.devices);

    if (state.devices.Count() > 0) {
        restartOnExit = 0;
        // The operations report to the dialog's own face.
        const FirmwareContext context{dialog->port(),    system_, &services.files, services.memory, *transport_,
                                      &services.package, versionCheckMask_};
        dialog->DoModal(context);
        restartOnExit = dialog->restartConfirmed();
    } else {
        messages_.ShowMessage(kNoDeviceText, kNoDeviceCaption);
    }

    // A request the transport gave up on may still be completed into the
    // transport's request block: the transport is then kept, not freed,
    // until the program ends.
    if (transport_->lastCommand().abandoned) static_cast<void>(transport_.release());
    transport_.reset();
    dialog.reset();
    return false;
}

void FirmwareUpgradeApp::Restart() {
    if (!IsNtFamily()) {
        // Windows 95/98: any process may restart the system.
        if (restart_.ExitWindowsEx(kEwxReboot, 0) == 0) ShowFailure(kExitWindowsFailed);
        return;
    }

    // The NT family restarts only for a process that holds the shutdown
    // privilege enabled in its token. No failure stops the sequence: each
    // is shown and the next step still runs.
    OwnedHandle<TokenHandle, CloseToken> token(nullptr, CloseToken{&restart_});
    TokenHandle opened = nullptr;
    if (restart_.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, opened) != 0) {
        token.Reset(opened);
    } else {
        ShowFailure(kOpenTokenFailed);
    }

    // A failed lookup leaves the id zero; AdjustTokenPrivileges then fails
    // and the last-error test below reports it.
    PrivilegeId shutdown{0, 0};
    restart_.LookupPrivilege(kShutdownPrivilege, shutdown);
    restart_.AdjustTokenPrivileges(token.get(), shutdown, kSePrivilegeEnabled);
    // The last error rather than the call's result: the call also succeeds
    // when the privilege was not granted (ERROR_NOT_ALL_ASSIGNED).
    if (restart_.GetLastError() != 0) ShowFailure(kAdjustPrivilegesFailed);

    // The handle has done its work: the adjusted privilege belongs to the
    // process token, not to this handle. Closed here so that the restart
    // request stays the program's last act.
    token.Close();

    if (restart_.ExitWindowsEx(kEwxReboot | kEwxForce, 0) == 0) ShowFailure(kExitWindowsFailed);
}

void FirmwareUpgradeApp::ShowFailure(const char* text) { messages_.ShowMessage(text, kCaption); }
