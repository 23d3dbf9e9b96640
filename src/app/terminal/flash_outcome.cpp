#include "app/terminal/flash_outcome.h"

namespace terminal {
namespace {

constexpr FlashEndRow kFlashEnds[] = {
    {FlashEnd::Done, "done", kExitSuccess, "success"},
    {FlashEnd::Saved, "saved", kExitSuccess, "success"},
    {FlashEnd::Same, "same", kExitSuccess, "success"},
    {FlashEnd::Different, "different", kExitDifferent, "different"},
    {FlashEnd::AlreadyCurrent, "already-current", kExitSuccess, "success"},
    {FlashEnd::DryRunPassed, "dry-run-passed", kExitSuccess, "success"},
    {FlashEnd::DryRunRefused, "dry-run-refused", kExitRefused, "failed"},
    {FlashEnd::Upgraded, "upgraded", kExitSuccess, "success", UpgradeExit::Upgraded},
    {FlashEnd::DownloadFailed, "download-failed", kExitDownloadFailed, "failed", UpgradeExit::DownloadFailed},
    {FlashEnd::DownloadRefused, "download-refused", kExitRefused, "failed"},
    {FlashEnd::OpenFailed, "open-failed", kExitRefused, "failed", UpgradeExit::OpenFailed},
    {FlashEnd::TypeUnknown, "drive-type-unknown", kExitRefused, "failed", UpgradeExit::TypeUnknown},
    {FlashEnd::NotDvdRomOnly, "not-dvd-rom-only", kExitRefused, "failed", UpgradeExit::NotDvdRomOnly},
    {FlashEnd::WrongImageSize, "image-size", kExitRefused, "failed", UpgradeExit::WrongImageSize},
    {FlashEnd::NoImageMemory, "no-memory", kExitRefused, "failed", UpgradeExit::NoImageMemory},
    {FlashEnd::NoReadMemory, "no-memory", kExitRefused, "failed", UpgradeExit::NoReadMemory},
    {FlashEnd::RevisionMismatch, "revision", kExitRefused, "failed", UpgradeExit::RevisionMismatch},
    {FlashEnd::SumMismatch, "image-sum", kExitRefused, "failed", UpgradeExit::SumMismatch},
    {FlashEnd::NoWarningText, "no-warning-text", kExitRefused, "failed", UpgradeExit::NoWarningText},
    {FlashEnd::FirstNo, "user-cancel", kExitRefused, "failed", UpgradeExit::FirstNo},
    {FlashEnd::SecondNo, "user-cancel", kExitRefused, "failed", UpgradeExit::SecondNo},
    {FlashEnd::Uncombined, "uncombined", kExitRefused, "failed", UpgradeExit::Uncombined},
    {FlashEnd::NotAsked, "not-asked", kExitRefused, "failed", UpgradeExit::NotAsked},
    {FlashEnd::Refused, "refused", kExitRefused, "failed"},
};

}  // namespace

const FlashEndRow& FlashEndOf(FlashEnd end) {
    for (const FlashEndRow& row : kFlashEnds)
        if (row.end == end) return row;
    return kFlashEnds[sizeof kFlashEnds / sizeof kFlashEnds[0] - 1];
}

FlashEnd FlashEndOfUpgrade(UpgradeExit exit, const DownloadEnd& download) {
    // Exit M when the system refused every firmware command: nothing reached the drive.
    if (exit == UpgradeExit::DownloadFailed && !download.reachedDrive) return FlashEnd::DownloadRefused;
    for (const FlashEndRow& row : kFlashEnds)
        if (row.upgradeExit == exit) return row.end;
    return FlashEnd::NotAsked;
}

}  // namespace terminal
