#pragma once
// The program's one application object. Its constructor reads the
// operating-system version into the program-wide record; InitInstance is the
// whole run (platform check, dialog, transport, drive search, the modal
// dialog, clean-up); its destructor restarts the PC when the user agreed to
// that on leaving the dialog.

#include <cstdint>

#include "firmware_package.h"
#include "gui_contract.h"
#include "main_dialog.h"
#include "system_services.h"
#include "transport_factory.h"

// What InitInstance builds its run from. All of them need to live only until
// InitInstance returns.
struct StartupServices {
    TransportFactory& transports;
    MainDialogFactory& dialogs;
    // The package whose version-check mask the upgrade will use.
    FirmwarePackage package;
};

class FirmwareUpgradeApp {
public:
    // `system` and `messages` must outlive the object: the destructor may
    // restart the PC and report failures of that. `messages` is used only
    // for message boxes (no owner window).
    FirmwareUpgradeApp(SystemServices& system, GuiContract& messages);
    ~FirmwareUpgradeApp();
    FirmwareUpgradeApp(const FirmwareUpgradeApp&) = delete;
    FirmwareUpgradeApp& operator=(const FirmwareUpgradeApp&) = delete;

    // The run of the program. Always false: there is no message loop after it.
    bool InitInstance(const StartupServices& services);
    // Asks the system to restart, with the shutdown privilege on the NT
    // family. Every failure is shown and the sequence goes on.
    void Restart();

    // Non-zero when the version could be read and the platform is not Win32s.
    std::int32_t initialized = 0;
    // Non-zero when the user agreed to a restart; read by the destructor.
    std::int32_t restartOnExit = 0;

private:
    void ShowFailure(const char* text);
    // The start-up failure of the platform's transport.
    void ShowTransportFailure();

    SystemServices& system_;
    GuiContract& messages_;
};
