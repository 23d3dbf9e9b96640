#pragma once
// ktxflash says when a command has had no answer for 10 s, and again every
// 30 s: which block it waits for, that the drive may take minutes, and not
// to unplug it. A WaitTimer calls it on a thread of its own while the
// command blocks the program; the pass-through's time-outs stay as they
// are. It sees every command through the transport's observer and hands
// each on to `next` (the command log or the JSON report; may be null).

#include <cstdint>

#include "app/terminal/terminal_face.h"
#include "device/scsi_transport.h"
#include "platform/fixed_text.h"
#include "platform/wait_timer.h"

namespace terminal {

constexpr std::uint32_t kFirstWaitNoticeMs = 10000;
constexpr std::uint32_t kWaitNoticeEveryMs = 30000;

class WaitingNotice : public CommandObserver, private WaitListener {
public:
    // `timer` may be null: then nothing is said. Both must outlive the notice.
    WaitingNotice(TerminalFace& face, WaitTimer* timer, CommandObserver* next)
        : face_(face), timer_(timer), next_(next) {}
    ~WaitingNotice() override;
    WaitingNotice(const WaitingNotice&) = delete;
    WaitingNotice& operator=(const WaitingNotice&) = delete;

    void CommandStarts(const CommandReport& report) override;
    void CommandEnded(const CommandReport& report) override;

private:
    void StillWaiting(std::uint32_t waitedMs) override;

    TerminalFace& face_;
    WaitTimer* timer_;
    CommandObserver* next_;
    // What the command is about, set before the timer starts.
    MessageText purpose_;
};

}  // namespace terminal
