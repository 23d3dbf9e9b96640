#pragma once
// The drives of ktxflash on Linux: SCSI generic devices through the SG_IO
// transport, named by their device paths. While firmware goes to a drive
// the logind sleep and shutdown inhibitor is held, and the signals of the
// keyboard and of a closed terminal (SIGINT, SIGQUIT, SIGTSTP, SIGHUP, and
// SIGTERM) wait until the download has ended: an interrupted download can
// leave the drive unusable.

#include <signal.h>

#include "app/terminal/flash_program.h"
#include "device/linux/sg_io_transport.h"
#include "device/linux/sleep_inhibitor.h"

class SgIoFlashDevices : public terminal::FlashDevices {
public:
    // `devices` must outlive this object.
    explicit SgIoFlashDevices(sgio::ScsiGenericDevices& devices) : devices_(devices), transport_(devices) {}

    ScsiTransport& transport() override { return transport_; }
    // Lists by probing each device, so that when none could be opened `why`
    // says why (the first failure: permission denied, busy, ...).
    void ListAll(DeviceList& list, TextBuffer& why) override;
    bool Find(const char* name, DeviceList& list, TextBuffer& why) override;
    void AppendName(const DeviceRecord& record, TextBuffer& out) override;
    void BeginDownload() override;
    void EndDownload() override;
    const char* CurrentProblem() override;

private:
    sgio::ScsiGenericDevices& devices_;
    sgio::SgIoTransport transport_;
    linux_power::SleepInhibitor inhibitor_;
    bool signalsHeld_ = false;
    sigset_t previousSignals_;
    MessageText problem_;
};
