#include "app/terminal/sg_io_flash_devices.h"

namespace {

// Most devices --list probes.
constexpr std::size_t kMaxListedDrives = 64;

}  // namespace

#include "device/sg_error_text.h"
#include "firmware/status_text.h"
#include "platform/display_text.h"
#include "platform/linux/raw_io_capability.h"

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

void SgIoFlashDevices::AppendName(const DeviceRecord& record, TextBuffer& out) {
    AppendDisplayPath(out, transport_.PathOf(record));
}

bool SgIoFlashDevices::MaySendFirmware(const DeviceRecord& record, TextBuffer& why) {
    if (ProcessHasRawIoCapability()) return true;
    // The words of the kernel's refusal of the download.
    why.Assign("");
    AppendDisplayPath(why, transport_.PathOf(record));
    why.Append(": ");
    why.Append(sgio::DeviceErrorText(sgio::DeviceError::NotPermitted));
    return false;
}
