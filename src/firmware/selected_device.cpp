#include "firmware/selected_device.h"

#include "firmware/status_text.h"

const DeviceRecord* TakeSelectedDevice(GuiService& gui, FirmwareState& state) {
    const DeviceRecord* selected = state.devices.RecordAt(gui.ComboGetCurSel(kDeviceSelector));
    if (selected == nullptr) {
        gui.SetItemText(kStatusLine, kNoDeviceText);
        return nullptr;
    }
    state.selectedDevice = selected;
    return selected;
}
