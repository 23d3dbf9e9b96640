#pragma once
// The program's one application object. Its constructor reads the
// operating-system version; InitInstance is the whole run (platform check,
// dialog, transport, drive search, the modal dialog, clean-up); its
// destructor restarts the PC when the user agreed to that on leaving the
// dialog. It owns what the run shares: the version record, the transport
// and the copy of the version-check mask.

#include <cstdint>
#include <memory>

#include "app/transport_factory.h"
#include "firmware/firmware_context.h"
#include "firmware/firmware_package.h"
#include "platform/buffer_allocator.h"
#include "platform/file_service.h"
#include "platform/message_service.h"
#include "platform/restart_service.h"
#include "platform/system_services.h"

// The main dialog as start-up sees it: built before the transport, filled
// with the drives found, run modally when there is at least one, and
// destroyed before start-up returns. The product wraps UpgradeDialog and the
// Win32 dialog host; tests record what start-up does with it.
class MainDialog {
public:
    virtual ~MainDialog() = default;
    // The state the dialog shows and its commands work on; start-up fills
    // its device list.
    virtual FirmwareState& state() = 0;
    // The dialog's face of the firmware operations: the port of the context
    // DoModal is given.
    virtual OperationsPort& port() = 0;
    // Runs the dialog modally until the user leaves it; its buttons run the
    // firmware operations on `context`.
    virtual void DoModal(const FirmwareContext& context) = 0;
    // 1 when the user agreed to restart the PC on leaving the dialog; 0
    // otherwise, and 0 when the dialog could not be shown at all.
    virtual std::int32_t restartConfirmed() const = 0;
};

class MainDialogFactory {
public:
    virtual ~MainDialogFactory() = default;
    // A new dialog with an empty device list (no window exists yet).
    virtual std::unique_ptr<MainDialog> Create() = 0;
};

// What InitInstance builds its run from. All of them need to live only until
// InitInstance returns.
struct StartupServices {
    TransportFactory& transports;
    MainDialogFactory& dialogs;
    // The firmware file Save writes, and the working buffers of the commands.
    FileService& files;
    BufferAllocator& memory;
    // The package the program carries: its version-check mask and the image
    // the upgrade sends.
    FirmwarePackage package;
};

class FirmwareUpgradeApp {
public:
    // `system`, `restart` and `messages` must outlive the object: the
    // destructor may restart the PC and report failures of that.
    FirmwareUpgradeApp(SystemServices& system, RestartService& restart, MessageService& messages);
    ~FirmwareUpgradeApp() {
        if (restartOnExit != 0) Restart();
    }

    // The run of the program. Always false: there is no message loop after it.
    bool InitInstance(const StartupServices& services);
    // Asks the system to restart, with the shutdown privilege on the NT
    // family. Every failure is shown and the sequence goes on.
    void Restart();

    // The version record the constructor read (all zero when it could not).
    const OsVersionRecord& osVersion() const { return osVersion_; }
    // The package's version-check mask, copied once a dialog exists.
    std::uint8_t versionCheckMask() const { return versionCheckMask_; }

    // Non-zero when the version could be read and the platform is not Win32s.
    std::int32_t initialized = 0;
    // Non-zero when the user agreed to a restart; read by the destructor.
    std::int32_t restartOnExit = 0;

private:
    bool IsNtFamily() const { return osVersion_.dwPlatformId == kPlatformNt; }
    void ShowFailure(const char* text);

    SystemServices& system_;
    RestartService& restart_;
    MessageService& messages_;
    OsVersionRecord osVersion_{};
    std::uint8_t versionCheckMask_ = 0;
    std::unique_ptr<ScsiTransport> transport_;
};
