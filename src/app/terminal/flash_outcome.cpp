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
    {FlashEnd::Upgraded, "upgraded", kExitSuccess, "success"},
    {FlashEnd::DownloadFailed, "download-failed", kExitDownloadFailed, "failed"},
    {FlashEnd::DownloadRefused, "download-refused", kExitRefused, "failed"},
    {FlashEnd::OpenFailed, "open-failed", kExitRefused, "failed"},
    {FlashEnd::TypeUnknown, "drive-type-unknown", kExitRefused, "failed"},
    {FlashEnd::NotDvdRomOnly, "not-dvd-rom-only", kExitRefused, "failed"},
    {FlashEnd::WrongImageSize, "image-size", kExitRefused, "failed"},
    {FlashEnd::NoImageMemory, "no-memory", kExitRefused, "failed"},
    {FlashEnd::NoReadMemory, "no-memory", kExitRefused, "failed"},
    {FlashEnd::RevisionMismatch, "revision", kExitRefused, "failed"},
    {FlashEnd::SumMismatch, "image-sum", kExitRefused, "failed"},
    {FlashEnd::NoWarningText, "no-warning-text", kExitRefused, "failed"},
    {FlashEnd::FirstNo, "user-cancel", kExitRefused, "failed"},
    {FlashEnd::SecondNo, "user-cancel", kExitRefused, "failed"},
    {FlashEnd::Uncombined, "uncombined", kExitRefused, "failed"},
    {FlashEnd::NotAsked, "not-asked", kExitRefused, "failed"},
    {FlashEnd::Refused, "refused", kExitRefused, "failed"},
};

}  // namespace

const FlashEndRow& FlashEndOf(FlashEnd end) {
    for (const FlashEndRow& row : kFlashEnds)
        if (row.end == end) return row;
    return kFlashEnds[sizeof kFlashEnds / sizeof kFlashEnds[0] - 1];
}

FlashEnd FlashEndOfUpgrade(UpgradeExit exit, const DownloadEnd& download) {
    switch (exit) {
    case UpgradeExit::OpenFailed: return FlashEnd::OpenFailed;
    case UpgradeExit::TypeUnknown: return FlashEnd::TypeUnknown;
    case UpgradeExit::NotDvdRomOnly: return FlashEnd::NotDvdRomOnly;
    case UpgradeExit::WrongImageSize: return FlashEnd::WrongImageSize;
    case UpgradeExit::NoImageMemory: return FlashEnd::NoImageMemory;
    case UpgradeExit::NoReadMemory: return FlashEnd::NoReadMemory;
    case UpgradeExit::RevisionMismatch: return FlashEnd::RevisionMismatch;
    case UpgradeExit::SumMismatch: return FlashEnd::SumMismatch;
    case UpgradeExit::NoWarningText: return FlashEnd::NoWarningText;
    case UpgradeExit::FirstNo: return FlashEnd::FirstNo;
    case UpgradeExit::SecondNo: return FlashEnd::SecondNo;
    case UpgradeExit::Upgraded: return FlashEnd::Upgraded;
    case UpgradeExit::DownloadFailed:
        return download.reachedDrive ? FlashEnd::DownloadFailed : FlashEnd::DownloadRefused;
    case UpgradeExit::Uncombined: return FlashEnd::Uncombined;
    case UpgradeExit::NotAsked: break;
    }
    return FlashEnd::NotAsked;
}

}  // namespace terminal
