#pragma once
// The signals of the keyboard and of a closed terminal (SIGINT, SIGQUIT,
// SIGTSTP, SIGHUP) and SIGTERM wait, blocked, between Hold and Release; one
// that came meanwhile takes effect on Release.

#include <signal.h>

#include "platform/interrupt_guard.h"

namespace linux_platform {

class HeldSignals : public InterruptGuard {
public:
    ~HeldSignals() override { Release(); }
    void Hold() override;
    void Release() override;

private:
    bool held_ = false;
    sigset_t previous_;
};

}  // namespace linux_platform
