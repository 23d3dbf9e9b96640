#pragma once
// How a run of ktxflash ends, and what each end means to a script: its
// exit status, the outcome's result and name in --json. The status tells
// whether anything reached the drive: 1 only when firmware was sent and
// the upgrade did not succeed.

#include <optional>

#include "firmware/block_download.h"
#include "firmware/upgrade_procedure.h"

namespace terminal {

constexpr int kExitSuccess = 0;
constexpr int kExitDownloadFailed = 1;  // firmware reached the drive, the upgrade did not succeed
constexpr int kExitUsage = 2;           // malformed command line
constexpr int kExitRefused = 3;         // every other failure or refusal
constexpr int kExitDifferent = 4;       // --verify found differences

enum class FlashEnd {
    Done,            // listed the drives, showed the package
    Saved,           // --save wrote the drive's firmware
    Same,            // --verify: the drive holds the image
    Different,       // --verify: it does not
    AlreadyCurrent,  // the drive already holds the image: nothing sent
    DryRunPassed,    // --dry-run: every check passed, nothing sent
    DryRunRefused,   // --dry-run: a real run would have been refused (the power, the rights)
    Upgraded,        // exit L
    DownloadFailed,  // exit M, with firmware commands that reached the drive
    DownloadRefused, // exit M, the system refused every firmware command
    // The upgrade's refusals: exits A to K, an uncombined package, a
    // question not asked.
    OpenFailed,
    TypeUnknown,
    NotDvdRomOnly,
    WrongImageSize,
    NoImageMemory,
    NoReadMemory,
    RevisionMismatch,
    SumMismatch,
    NoWarningText,
    FirstNo,
    SecondNo,
    Uncombined,
    NotAsked,
    Refused,  // refused or failed before the drive's checks, or around them (model, rights, read, backup, file)
};

struct FlashEndRow {
    FlashEnd end;
    const char* name;    // --json's outcome "end"
    int exitStatus;
    const char* result;  // --json's outcome "result"
    // The upgrade's exit that ends the run here (none for ktxflash's own ends).
    std::optional<UpgradeExit> upgradeExit;
};

const FlashEndRow& FlashEndOf(FlashEnd end);
// `download` tells the two ends of exit M apart.
FlashEnd FlashEndOfUpgrade(UpgradeExit exit, const DownloadEnd& download);

}  // namespace terminal
