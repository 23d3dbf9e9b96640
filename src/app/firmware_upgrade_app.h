#pragma once
// The program's one application object. Its constructor reads the
// operating-system version; InitInstance is the whole run (platform check,
// dialog, transport, drive search, the modal dialog, clean-up); its
// destructor restarts the PC when the user agreed to that on leaving the
// dialog. It owns what the run shares: the version record, the transport
// and the copy of the version-check mask.

#include <cstdint>
#include <memory>

#include "app/main_dialog.h"
#include "app/transport_factory.h"
#include "firmware/firmware_package.h"
#include "platform/buffer_allocator.h"
#include "platform/file_service.h"
#include "platform/message_service.h"
#include "platform/restart_service.h"
#include "platform/system_services.h"

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
    ~FirmwareUpgradeApp();
    FirmwareUpgradeApp(const FirmwareUpgradeApp&) = delete;
    FirmwareUpgradeApp& operator=(const FirmwareUpgradeApp&) = delete;

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
    bool IsNtFamily() const;
    void ShowFailure(const char* text);
    // The start-up failure of the platform's transport.
    void ShowTransportFailure();

    SystemServices& system_;
    RestartService& restart_;
    MessageService& messages_;
    OsVersionRecord osVersion_{};
    std::uint8_t versionCheckMask_ = 0;
    std::unique_ptr<ScsiTransport> transport_;
};
