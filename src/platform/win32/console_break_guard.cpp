#include "platform/win32/win32_services.h"

#include <windows.h>

namespace {

BOOL WINAPI SwallowBreak(DWORD event) {
    // Closing the console, logging off and shutting down cannot be held;
    // the sleep and shutdown cases are the system's (the dialog program
    // holds none either).
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? TRUE : FALSE;
}

}  // namespace

namespace platform {

void ConsoleBreakGuard::Hold() {
    if (!installed_) installed_ = SetConsoleCtrlHandler(SwallowBreak, TRUE) != 0;
}

void ConsoleBreakGuard::Release() {
    if (installed_) SetConsoleCtrlHandler(SwallowBreak, FALSE);
    installed_ = false;
}

}  // namespace platform
