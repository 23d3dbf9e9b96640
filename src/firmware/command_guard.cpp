#include "command_guard.h"

#include <algorithm>
#include <vector>

namespace {

// Dialogs with a command in progress (in practice at most one).
std::vector<const UpgradeDialog*>& DialogsBusy() {
    static std::vector<const UpgradeDialog*> busy;
    return busy;
}

}  // namespace

CommandGuard::CommandGuard(const UpgradeDialog& dialog) : dialog_(dialog) {
    auto& busy = DialogsBusy();
    acquired_ = std::find(busy.begin(), busy.end(), &dialog_) == busy.end();
    if (acquired_) busy.push_back(&dialog_);
}

CommandGuard::~CommandGuard() {
    if (!acquired_) return;
    auto& busy = DialogsBusy();
    busy.erase(std::remove(busy.begin(), busy.end(), &dialog_), busy.end());
}
