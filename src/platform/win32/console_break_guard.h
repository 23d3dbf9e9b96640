#pragma once
// Ctrl+C and Ctrl+Break in the console wait while firmware goes to the
// drive: a console control handler that swallows them between Hold and
// Release.

#include "platform/interrupt_guard.h"

namespace platform {

class ConsoleBreakGuard : public InterruptGuard {
public:
    ~ConsoleBreakGuard() override { Release(); }
    void Hold() override;
    void Release() override;

private:
    bool installed_ = false;
};

}  // namespace platform
