#include "app/linux/sg_io_flash_devices.h"

#include "device/linux/device_error_text.h"
#include "firmware/status_text.h"
#include "platform/display_text.h"

void SgIoFlashDevices::ListAll(DeviceList& list, TextBuffer& why) {
    sgio::DevicePath first;
    if (devices_.List(&first, 1) == 0) {
        why.Assign(sgio::DeviceErrorText(sgio::DeviceError::NoDevices));
        return;
    }
    transport_.Enumerate(list);
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
    AppendDisplayText(out, sgio::RecordDevicePath(record));
}

void SgIoFlashDevices::BeginDownload() {
    inhibitor_ = linux_power::InhibitSleepAndShutdown("ktxflash", "Drive firmware upgrade in progress");
}

const char* SgIoFlashDevices::CurrentProblem() {
    const sgio::DeviceError error = transport_.lastError();
    if (error == sgio::DeviceError::None) return nullptr;
    problem_.Assign("ktxflash: ");
    AppendDisplayText(problem_, sgio::RecordDevicePath(transport_.current));
    problem_.Append(": ");
    problem_.Append(sgio::DeviceErrorText(error));
    return problem_.c_str();
}
