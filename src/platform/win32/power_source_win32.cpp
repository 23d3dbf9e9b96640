#include "platform/win32/win32_services.h"

#include <windows.h>

namespace {

using GetSystemPowerStatusFunction = BOOL(WINAPI*)(LPSYSTEM_POWER_STATUS);

}  // namespace

PowerStatus Win32PowerSource::Read() {
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto getStatus = kernel != nullptr ? reinterpret_cast<GetSystemPowerStatusFunction>(reinterpret_cast<void*>(
                                                   GetProcAddress(kernel, "GetSystemPowerStatus")))
                                             : nullptr;
    SYSTEM_POWER_STATUS status{};
    if (getStatus == nullptr || !getStatus(&status)) return PowerStatus{};
    return PowerStatusFromWindows(status.ACLineStatus, status.BatteryLifePercent);
}
