#include "app/terminal/waiting_notice.h"

#include "device/command_report_text.h"

namespace terminal {

WaitingNotice::~WaitingNotice() {
    if (timer_ != nullptr) timer_->Stop();
}

void WaitingNotice::CommandStarts(const CommandReport& report) {
    if (next_ != nullptr) next_->CommandStarts(report);
    if (timer_ == nullptr) return;
    purpose_.Assign("");
    AppendCommandPurpose(report, purpose_);
    timer_->Start(*this, kFirstWaitNoticeMs, kWaitNoticeEveryMs);
}

void WaitingNotice::CommandEnded(const CommandReport& report) {
    // Stopped first: nothing is printed from the timer's thread after this.
    if (timer_ != nullptr) timer_->Stop();
    if (next_ != nullptr) next_->CommandEnded(report);
}

void WaitingNotice::StillWaiting(std::uint32_t waitedMs) {
    MessageText line;
    line.Format("ktxflash: waiting for the drive to answer for %s (%lu s so far); the drive may take minutes: "
                "do not unplug it or turn it off.",
                purpose_.c_str(), static_cast<unsigned long>(waitedMs / 1000u));
    face_.PrintLine(line.c_str());
}

}  // namespace terminal
