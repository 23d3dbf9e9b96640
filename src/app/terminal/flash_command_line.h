#pragma once
// The ktxflash command line:
//   ktxflash [--yes] [--dry-run] DEVICE     upgrade the drive
//   ktxflash --save FILE [--force] DEVICE   save the drive's firmware
//   ktxflash --list                         list the drives found
//   ktxflash --info                         show the embedded package
//   ktxflash --help
//   ktxflash --version
// Options and DEVICE may come in any order; "--" ends the options.

namespace terminal {

constexpr int kExitSuccess = 0;
constexpr int kExitFailed = 1;  // refused or failed
constexpr int kExitUsage = 2;   // malformed command line

enum class FlashAction { Upgrade, Save, List, Info, Help, Version };

enum class UsageProblem {
    None,
    UnknownOption,       // an argument starting with '-' that is no option
    MissingFile,         // --save without a FILE after it
    MissingDevice,       // the upgrade or the save without a DEVICE
    ExtraArgument,       // a second DEVICE, or a DEVICE for --list or --info
    ConflictingActions,  // two of --list, --info, --save
    OptionNotForAction,  // --force without --save; --yes or --dry-run with another action
};

struct FlashCommandLine {
    FlashAction action = FlashAction::Upgrade;
    const char* device = nullptr;    // points into the arguments
    const char* saveFile = nullptr;  // points into the arguments
    bool force = false;              // --save may replace an existing FILE
    bool yes = false;                // both confirmations answered yes
    bool dryRun = false;             // every check, no vendor command
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
