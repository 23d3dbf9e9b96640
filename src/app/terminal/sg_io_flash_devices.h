#pragma once
// The drives of ktxflash on Linux: SCSI generic devices through the SG_IO
// transport, named by their device paths.

#include "app/terminal/flash_program.h"
#include "device/sg_io_transport.h"
#include "platform/display_text.h"

class SgIoFlashDevices : public terminal::FlashDevices {
public:
    // `devices` must outlive this object.
    explicit SgIoFlashDevices(sgio::ScsiGenericDevices& devices) : devices_(devices), transport_(devices) {}

    ScsiTransport& transport() override { return transport_; }
    void ObserveCommands(CommandObserver* observer) override { transport_.SetCommandObserver(observer); }
    void ListAll(DeviceList& list, TextBuffer& why) override;
    bool Find(const char* name, DeviceList& list, TextBuffer& why) override;
    void AppendName(const DeviceRecord& record, TextBuffer& out) override {
        AppendDisplayPath(out, transport_.PathOf(record));
    }
    // Only a process with CAP_SYS_RAWIO flashes: ktxflash's own rule, since
    // the kernel lets any process that may open /dev/sgN read-write send
    // every command.
    bool MaySendFirmware(const DeviceRecord& record, TextBuffer& why) override;
    // From sysfs: the kernel refuses a longer transfer with EINVAL.
    bool TakesWholeBlocks(const DeviceRecord& record, TextBuffer& why) override;
    // O_EXCL on the sg device and the drive's block device.
    void OpenExclusively(bool exclusive) override { transport_.SetExclusiveOpens(exclusive); }

private:
    sgio::ScsiGenericDevices& devices_;
    sgio::SgIoTransport transport_;
};
