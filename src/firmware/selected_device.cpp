#include "firmware/selected_device.h"

#include "firmware/status_report.h"
#include "firmware/status_text.h"

const DeviceRecord* TakeSelectedDevice(const FirmwareContext& context, FirmwareState& state) {
    const DeviceRecord* selected = state.devices.RecordAt(context.port.ChosenDrive());
    if (selected == nullptr) {
        ReportStatus(context, kNoDeviceText);
        return nullptr;
    }
    state.selectedDevice = selected;
    return selected;
}
