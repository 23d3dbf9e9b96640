#include <windows.h>

#include "platform/win32/message_service_win32.h"

namespace platform {

void Win32MessageService::ShowMessage(const char* text, const char* caption) {
    ::MessageBoxA(nullptr, text, caption, MB_OK);
}

}  // namespace platform
