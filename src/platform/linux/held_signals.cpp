#include "platform/linux/linux_services.h"

#include <initializer_list>

namespace linux_platform {

void HeldSignals::Hold() {
    if (held_) return;
    sigset_t held;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGQUIT, SIGTSTP, SIGHUP, SIGTERM}) sigaddset(&held, signal);
    held_ = sigprocmask(SIG_BLOCK, &held, &previous_) == 0;
}

void HeldSignals::Release() {
    // A signal that came meanwhile takes effect now.
    if (held_) sigprocmask(SIG_SETMASK, &previous_, nullptr);
    held_ = false;
}

}  // namespace linux_platform
