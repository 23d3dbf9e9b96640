#include <windows.h>

#include "platform/win32/win32_services.h"

namespace platform {

void Win32MessageService::ShowMessage(const char* text, const char* caption) {
    ::MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace platform
