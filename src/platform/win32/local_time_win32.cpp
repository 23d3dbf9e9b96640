#include "platform/system_services.h"

#include <windows.h>

namespace {

using GetLocalTimeFunction = void(WINAPI*)(LPSYSTEMTIME);

}  // namespace

bool ReadLocalTime(LocalTime& now) {
    // Taken at run time, as every function the programs did not import
    // before: the import lists stay as their checks know them.
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto getLocalTime = kernel != nullptr ? reinterpret_cast<GetLocalTimeFunction>(reinterpret_cast<void*>(
                                                      GetProcAddress(kernel, "GetLocalTime")))
                                                : nullptr;
    if (getLocalTime == nullptr) return false;
    SYSTEMTIME parts{};
    getLocalTime(&parts);
    now.year = parts.wYear;
    now.month = parts.wMonth;
    now.day = parts.wDay;
    now.hour = parts.wHour;
    now.minute = parts.wMinute;
    now.second = parts.wSecond;
    return true;
}
