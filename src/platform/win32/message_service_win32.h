#pragma once
// Messages over MessageBoxA, without an owner window.

#include "platform/message_service.h"

namespace platform {

class Win32MessageService : public MessageService {
public:
    void ShowMessage(const char* text, const char* caption) override;
};

}  // namespace platform
