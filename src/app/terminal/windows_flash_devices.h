#pragma once
// The drives of ktxflash on Windows: the dialog program's transport for the
// running system (NT pass-through on drive letters, or ASPI for Win32),
// drives named by their letter ("E:") or, under ASPI, by their address
// ("0:1", host adapter and target). Portable: the system comes through its
// services, so the host tests run it over fakes.

#include <memory>

#include "app/terminal/flash_program.h"
#include "app/transport_factory.h"
#include "platform/system_services.h"

class WindowsFlashDevices : public terminal::FlashDevices {
public:
    WindowsFlashDevices(SystemServices& system, TransportFactory& transports);

    ScsiTransport& transport() override { return *transport_; }
    // No transport when the system's version could not be read.
    void ObserveCommands(CommandObserver* observer) override {
        if (transport_) transport_->SetCommandObserver(observer);
    }
    void ListAll(DeviceList& list, TextBuffer& why) override;
    bool Find(const char* name, DeviceList& list, TextBuffer& why) override;
    void AppendName(const DeviceRecord& record, TextBuffer& out) override;
    // Windows asks for no more than opening the drive, and shows no
    // transfer limit before a command (an adapter that takes less refuses
    // the command, and the outcome says so). The transports open volumes and
    // ASPI addresses as the dialog program does.
    bool MaySendFirmware(const DeviceRecord&, TextBuffer&) override { return true; }
    bool TakesWholeBlocks(const DeviceRecord&, TextBuffer&) override { return true; }
    void OpenExclusively(bool) override {}

private:
    // False, with the start-up failure text in `why`, when no transport came up.
    bool Ready(TextBuffer& why) const;

    OsVersionRecord version_{};
    bool versionRead_ = false;
    std::unique_ptr<ScsiTransport> transport_;
};
