#pragma once
// The ktxflash command line:
//   ktxflash [UPGRADE OPTIONS] DEVICE       upgrade the drive
//   ktxflash --save FILE [--force] DEVICE   save the drive's firmware
//   ktxflash --verify DEVICE                compare the drive's firmware with the image
//   ktxflash --list                         list the drives found
//   ktxflash --info                         show the embedded package
//   ktxflash --help
//   ktxflash --version
// Options and DEVICE may come in any order; "--" ends the options.

namespace terminal {

// The exit statuses (app/terminal/flash_outcome.h says which ends give which).
constexpr int kExitSuccess = 0;
constexpr int kExitDownloadFailed = 1;  // firmware reached the drive, the upgrade did not succeed
constexpr int kExitUsage = 2;           // malformed command line
constexpr int kExitRefused = 3;         // every other failure or refusal
constexpr int kExitDifferent = 4;       // --verify found differences

enum class FlashAction { Upgrade, Save, Verify, List, Info, Help, Version };

enum class UsageProblem {
    None,
    UnknownOption,       // an argument starting with '-' that is no option
    MissingFile,         // --save without a FILE after it
    MissingDevice,       // the upgrade or the save without a DEVICE
    ExtraArgument,       // a second DEVICE, or a DEVICE for --list or --info
    ConflictingActions,  // two of --list, --info, --save, --verify
    OptionNotForAction,  // --force without --save; an upgrade option with another action
    ConflictingOptions,  // --backup FILE with --no-backup
    JsonNeedsAnswers,    // --json for the upgrade without --yes or --dry-run
    BadNumber,           // a --mask or --sum that is no number in range
    BadRevision,         // a --revision longer than 4 characters
    ImageOptionAlone,    // --revision, --mask or --sum without --image
};

struct FlashCommandLine {
    FlashAction action = FlashAction::Upgrade;
    const char* device = nullptr;    // points into the arguments
    const char* saveFile = nullptr;  // points into the arguments
    bool force = false;              // --save may replace an existing FILE
    bool yes = false;                // both confirmations answered yes
    bool dryRun = false;             // every check, no vendor command
    const char* backupFile = nullptr;  // --backup FILE; null: the default name
    bool noBackup = false;             // --no-backup
    bool allowReinstall = false;       // flash a drive that already holds the image
    bool allowOtherModel = false;      // flash a drive that reports another vendor or product
    bool ignorePower = false;          // flash on a battery that is almost empty
    bool verbose = false;              // -v: every command sent, as it ends
    bool json = false;                 // --json: JSON Lines on standard output
    // --image FILE: a raw image instead of the embedded package, with the
    // package's revision tag, mask and the maker's image sum.
    const char* imageFile = nullptr;
    const char* imageRevision = nullptr;  // --revision TAG; null: ""
    unsigned imageMask = 0;               // --mask N
    bool imageSumGiven = false;           // --sum HEX
    unsigned imageSum = 0;
    UsageProblem problem = UsageProblem::None;
    const char* offending = nullptr;  // the argument the problem is about; null when none
};

// Parses `count` arguments (the program's name not among them). --help
// anywhere asks for the help text, whatever else is there; --version,
// short of --help, for the release's version.
FlashCommandLine ParseFlashCommandLine(int count, const char* const* args);

// What is wrong, as the start of a one-line message (the caller adds the
// offending argument, escaped). "" for None.
const char* UsageProblemText(UsageProblem problem);

// The text --help prints.
extern const char kFlashUsage[];

}  // namespace terminal
