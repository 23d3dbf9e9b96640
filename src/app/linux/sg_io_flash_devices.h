#pragma once
// The drives of ktxflash on Linux: SCSI generic devices through the SG_IO
// transport, named by their device paths, with the logind sleep and
// shutdown inhibitor held while firmware goes to a drive.

#include "app/terminal/flash_program.h"
#include "device/linux/sg_io_transport.h"
#include "device/linux/sleep_inhibitor.h"

class SgIoFlashDevices : public terminal::FlashDevices {
public:
    // `devices` must outlive this object.
    explicit SgIoFlashDevices(sgio::ScsiGenericDevices& devices) : devices_(devices), transport_(devices) {}

    ScsiTransport& transport() override { return transport_; }
    void ListAll(DeviceList& list, TextBuffer& why) override;
    bool Find(const char* name, DeviceList& list, TextBuffer& why) override;
    void AppendName(const DeviceRecord& record, TextBuffer& out) override;
    void BeginDownload() override;
    void EndDownload() override { inhibitor_.Release(); }
    const char* CurrentProblem() override;

private:
    sgio::ScsiGenericDevices& devices_;
    sgio::SgIoTransport transport_;
    linux_power::SleepInhibitor inhibitor_;
    MessageText problem_;
};
