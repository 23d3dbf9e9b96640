// ktxflash's outcome table: every way a run can end, with the exit status a
// script sees and the names --json gives it. 1 only when firmware commands
// reached the drive and the upgrade did not succeed.

#include "app/terminal/flash_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using terminal::FlashEnd;

struct OutcomeCase {
    // The upgrade's exit, or (for ktxflash's own ends) none.
    bool fromUpgrade;
    UpgradeExit exit;
    bool reachedDrive;  // the download's commands reached the drive (exit M)
    FlashEnd end;       // the end of a run of ktxflash's own, when not from the upgrade
    int status;
    const char* name;
    const char* result;
};

TEST(FlashOutcome, EachEndHasItsExitStatusAndNames) {
    const OutcomeCase cases[] = {
        {false, {}, false, FlashEnd::Done, 0, "done", "success"},
        {false, {}, false, FlashEnd::Saved, 0, "saved", "success"},
        {false, {}, false, FlashEnd::Same, 0, "same", "success"},
        {false, {}, false, FlashEnd::Different, 4, "different", "different"},
        {false, {}, false, FlashEnd::AlreadyCurrent, 0, "already-current", "success"},
        {false, {}, false, FlashEnd::DryRunPassed, 0, "dry-run-passed", "success"},
        {false, {}, false, FlashEnd::DryRunRefused, 3, "dry-run-refused", "failed"},
        {false, {}, false, FlashEnd::Refused, 3, "refused", "failed"},
        {true, UpgradeExit::OpenFailed, false, {}, 3, "open-failed", "failed"},
        {true, UpgradeExit::TypeUnknown, false, {}, 3, "drive-type-unknown", "failed"},
        {true, UpgradeExit::NotDvdRomOnly, false, {}, 3, "not-dvd-rom-only", "failed"},
        {true, UpgradeExit::WrongImageSize, false, {}, 3, "image-size", "failed"},
        {true, UpgradeExit::NoImageMemory, false, {}, 3, "no-memory", "failed"},
        {true, UpgradeExit::NoReadMemory, false, {}, 3, "no-memory", "failed"},
        {true, UpgradeExit::RevisionMismatch, false, {}, 3, "revision", "failed"},
        {true, UpgradeExit::SumMismatch, false, {}, 3, "image-sum", "failed"},
        {true, UpgradeExit::NoWarningText, false, {}, 3, "no-warning-text", "failed"},
        {true, UpgradeExit::FirstNo, false, {}, 3, "user-cancel", "failed"},
        {true, UpgradeExit::SecondNo, false, {}, 3, "user-cancel", "failed"},
        {true, UpgradeExit::NotAsked, false, {}, 3, "not-asked", "failed"},
        {true, UpgradeExit::Uncombined, false, {}, 3, "uncombined", "failed"},
        {true, UpgradeExit::Upgraded, true, {}, 0, "upgraded", "success"},
        {true, UpgradeExit::DownloadFailed, true, {}, 1, "download-failed", "failed"},
        // The system refused every firmware command: nothing reached the drive.
        {true, UpgradeExit::DownloadFailed, false, {}, 3, "download-refused", "failed"},
    };
    for (const OutcomeCase& c : cases) {
        DownloadEnd download;
        download.reachedDrive = c.reachedDrive;
        const FlashEnd end = c.fromUpgrade ? terminal::FlashEndOfUpgrade(c.exit, download) : c.end;
        const terminal::FlashEndRow& row = terminal::FlashEndOf(end);
        EXPECT_EQ(row.end, end) << c.name;
        EXPECT_EQ(row.exitStatus, c.status) << c.name;
        EXPECT_EQ(std::string(row.name), c.name);
        EXPECT_EQ(std::string(row.result), c.result) << c.name;
    }
}

}  // namespace
