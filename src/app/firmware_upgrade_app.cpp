#include "firmware_upgrade_app.h"

#include <memory>

#include "os_version.h"
#include "program_state.h"

namespace {

constexpr char kCaption[] = "DVD Firmware Upgrade Program";
constexpr char kNoDeviceCaption[] = "Firmware Upgrade Program";

constexpr char kInitFailed[] = "Flash ROM Upgrade Program Initialized Failed!!";
constexpr char kNtInitFailed[] = "Flash ROM Upgrade Program Initialized Failed (Windows NT/2000)!!";
constexpr char kAspiInitFailed[] =
    "Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\nASPI for Win32 is not initialized!!";
constexpr char kNoDevice[] = "No support device Found!!";

constexpr char kOpenTokenFailed[] = "Reboot : OpenProcessToken Fail!!";
constexpr char kAdjustPrivilegesFailed[] = "Reboot : AdjustTokenPrivileges Fail!!";
constexpr char kExitWindowsFailed[] = "Reboot : ExitWindowsEx Fail!!";

constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

bool IsNtFamily() { return g_osVersion.dwPlatformId == kPlatformNt; }

}  // namespace

FirmwareUpgradeApp::FirmwareUpgradeApp(SystemServices& system, GuiContract& messages)
    : system_(system), messages_(messages) {
    g_osVersion.dwOSVersionInfoSize = sizeof(OsVersionRecord);
    const int result = system_.GetVersionEx(g_osVersion);
    initialized = result;
    if (result != 0 && g_osVersion.dwPlatformId == kPlatformWin32s) initialized = 0;
}

FirmwareUpgradeApp::~FirmwareUpgradeApp() {
    if (restartOnExit != 0) Restart();
}

bool FirmwareUpgradeApp::InitInstance(const StartupServices& services) {
    if (initialized == 0) {
        ShowFailure(kInitFailed);
        return false;
    }

    std::unique_ptr<MainDialog> dialog = services.dialogs.Create();
    if (!dialog) {
        // Nothing else exists yet; the run cannot go on without its window.
        ShowFailure(kInitFailed);
        return false;
    }

    // Before the transport exists, so that the mask is in place whatever
    // creating the transport and searching for drives do.
    g_versionCheckMask = services.package.versionCheckMask();

    std::unique_ptr<ScsiTransport> transport =
        IsNtFamily() ? services.transports.MakePassThrough() : services.transports.MakeAspi();
    g_transport = transport.get();

    // A transport that could not even be allocated is as unusable as one
    // whose back end did not come up, and is reported the same way.
    if (!transport || transport->initOk == 0) {
        ShowTransportFailure();
        transport.reset();
        g_transport = nullptr;
        return false;  // the dialog goes with `dialog`
    }

    transport->Enumerate(dialog->devices());

    if (dialog->devices().Count() > 0) {
        restartOnExit = 0;
        dialog->DoModal();
        restartOnExit = dialog->restartConfirmed();
    } else {
        messages_.MessageBox(kNoDevice, kNoDeviceCaption, kMbOk);
    }

    // A request the transport gave up on may still be completed into the
    // transport's request block: the transport is then kept, not freed,
    // until the program ends.
    if (transport->requestAbandoned()) static_cast<void>(transport.release());
    transport.reset();
    g_transport = nullptr;
    dialog.reset();
    return false;
}

void FirmwareUpgradeApp::Restart() {
    if (!IsNtFamily()) {
        // Windows 95/98: any process may restart the system.
        if (system_.ExitWindowsEx(kEwxReboot, 0) == 0) ShowFailure(kExitWindowsFailed);
        return;
    }

    // The NT family restarts only for a process that holds the shutdown
    // privilege enabled in its token. No failure stops the sequence: each
    // is shown and the next step still runs.
    TokenHandle token = nullptr;
    const bool tokenOpened = system_.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token) != 0;
    if (!tokenOpened) {
        token = nullptr;
        ShowFailure(kOpenTokenFailed);
    }

    // A failed lookup leaves the id zero; AdjustTokenPrivileges then fails
    // and the last-error test below reports it.
    PrivilegeId shutdown{0, 0};
    system_.LookupPrivilegeValue(kShutdownPrivilege, shutdown);
    system_.AdjustTokenPrivileges(token, shutdown, kSePrivilegeEnabled);
    // The last error rather than the call's result: the call also succeeds
    // when the privilege was not granted (ERROR_NOT_ALL_ASSIGNED).
    if (system_.GetLastError() != 0) ShowFailure(kAdjustPrivilegesFailed);

    // The handle has done its work: the adjusted privilege belongs to the
    // process token, not to this handle. Closed here so that the restart
    // request stays the program's last act.
    if (tokenOpened) system_.CloseToken(token);

    if (system_.ExitWindowsEx(kEwxReboot | kEwxForce, 0) == 0) ShowFailure(kExitWindowsFailed);
}

void FirmwareUpgradeApp::ShowFailure(const char* text) { messages_.MessageBox(text, kCaption, kMbOk); }

void FirmwareUpgradeApp::ShowTransportFailure() { ShowFailure(IsNtFamily() ? kNtInitFailed : kAspiInitFailed); }
