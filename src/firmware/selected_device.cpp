#include "selected_device.h"

#include "gui_contract.h"
#include "upgrade_dialog.h"

const DeviceRecord* TakeSelectedDevice(UpgradeDialog& dialog, GuiContract& gui) {
    const DeviceRecord* selected = dialog.devices.RecordAt(gui.ComboGetCurSel(kDeviceSelector));
    if (selected == nullptr) {
        gui.SetItemText(kStatusLine, "No support device Found!!");
        return nullptr;
    }
    dialog.selectedDevice = selected;
    return selected;
}
