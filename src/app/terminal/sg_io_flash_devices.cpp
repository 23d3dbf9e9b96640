#include "app/terminal/sg_io_flash_devices.h"

#include "firmware/upgrade_procedure.h"
#include "platform/linux/linux_scsi_generic_devices.h"

namespace {

// Most devices --list probes.
constexpr std::size_t kMaxListedDrives = 64;

}  // namespace

void SgIoFlashDevices::ListAll(DeviceList& list, TextBuffer& why) {
    sgio::DevicePath paths[kMaxListedDrives];
    const std::size_t count = devices_.List(paths, kMaxListedDrives);
    sgio::DeviceError errors[kMaxListedDrives];
    if (count == 0) {
        why.Assign(sgio::DeviceErrorText(sgio::DeviceError::NoDevices));
        return;
    }
    for (std::size_t i = 0; i < count; ++i) errors[i] = transport_.Probe(paths[i].text, list);
    if (list.Count() > 0) return;
    // Nothing found: each device seen and what it said, so that a device
    // this user may not open is told from one that is no CD/DVD drive.
    why.Assign("no CD/DVD drive answered; seen:");
    for (std::size_t i = 0; i < count; ++i) {
        why.Append(i == 0 ? " " : "; ");
        AppendDisplayPath(why, paths[i].text);
        why.Append(" (");
        why.Append(errors[i] != sgio::DeviceError::None ? sgio::DeviceErrorText(errors[i]) : "no CD/DVD drive");
        why.Append(")");
    }
}

bool SgIoFlashDevices::Find(const char* name, DeviceList& list, TextBuffer& why) {
    const sgio::DeviceError error = transport_.Probe(name, list);
    if (list.Count() > 0) return true;
    if (error != sgio::DeviceError::None)
        why.Assign(sgio::DeviceErrorText(error));
    else
        why.Format("%s (not a CD/DVD drive)", kNoDeviceText);
    return false;
}

bool SgIoFlashDevices::MaySendFirmware(const DeviceRecord& record, TextBuffer& why) {
    if (ProcessHasRawIoCapability()) return true;
    why.Assign("");
    AppendDisplayPath(why, transport_.PathOf(record));
    why.Append(": flashing needs root: ktxflash sends firmware only from a process with CAP_SYS_RAWIO (root), "
               "while listing, --verify and --save work for the device's group; run it as root to flash");
    return false;
}

bool SgIoFlashDevices::TakesWholeBlocks(const DeviceRecord& record, TextBuffer& why) {
    const char* path = transport_.PathOf(record);
    const sgio::TransferLimit limit = devices_.ReadTransferLimit(path);
    if (limit.source == sgio::TransferLimitSource::None || limit.bytes >= kBlockSize) return true;
    why.Assign("");
    AppendDisplayText(why, path);
    why.AppendFormat(": the system passes at most %lu KiB in one command to this drive (%s), and the firmware "
                     "moves in %lu KiB blocks; nothing was sent. Connect the drive through another USB port or "
                     "enclosure: this limit usually comes from the USB bridge (some are limited by a quirk of "
                     "the kernel's usb-storage driver)",
                     static_cast<unsigned long>(limit.bytes / 1024u),
                     limit.source == sgio::TransferLimitSource::Queue
                         ? "max_hw_sectors_kb of its queue in sysfs"
                         : "max_sectors of its SCSI device in sysfs, which usb-storage makes its queue's max_hw_sectors_kb",
                     static_cast<unsigned long>(kBlockSize / 1024u));
    return false;
}
