#pragma once
// The ktxflash command line, in the forms --help shows. Options and DEVICE
// may come in any order; "--" ends the options.

#include "firmware/published_check.h"
#include "platform/fixed_text.h"

namespace terminal {

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
    BadSha256,           // a --sha256 that is not 64 hexadecimal digits
    BadRevision,         // a --revision longer than 4 characters
    BadMask,             // a --mask that selects nothing or beyond the tag
    ImageOptionAlone,    // --revision, --mask, --sha256, --sum or --unchecked-image without --image
    ImageUnchecked,      // --image without --sha256, --sum or --unchecked-image
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
    // package's revision tag and mask, and the check its maker published.
    const char* imageFile = nullptr;
    const char* imageRevision = nullptr;  // --revision TAG; null: ""
    unsigned imageMask = 0;               // --mask N
    PublishedCheck imageSha256;           // --sha256 HEX (kind None when not given)
    PublishedCheck imageSum;              // --sum HEX (kind None when not given)
    bool imageUnchecked = false;          // --unchecked-image: neither, knowingly
    UsageProblem problem = UsageProblem::None;
    const char* offending = nullptr;  // the argument the problem is about; null when none
    const char* otherAction = nullptr;  // ConflictingActions: the action given first
};

// Parses `count` arguments (the program's name not among them). --help
// (-h) anywhere asks for the help text, whatever else is there; --version,
// short of --help, for the release's version. `json` is set for a --json
// before "--" even when the line is malformed, so the error can be
// reported as JSON too.
FlashCommandLine ParseFlashCommandLine(int count, const char* const* args);

// What is wrong, as one sentence naming the offending argument (escaped)
// where there is one; nothing for None.
void AppendUsageProblem(const FlashCommandLine& line, TextBuffer& out);

// The options as --help explains them, after the system's own start of the
// text (FlashConventions::usage).
extern const char kFlashOptionsHelp[];

}  // namespace terminal
