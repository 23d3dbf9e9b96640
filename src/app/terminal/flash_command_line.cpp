#include "app/terminal/flash_command_line.h"

#include <cstdint>
#include <cstring>

#include "firmware/firmware_package.h"

namespace terminal {
namespace {

bool Is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

class Parser {
public:
    FlashCommandLine Run(int count, const char* const* args) {
        for (int i = 0; i < count; ++i)
            if (Is(args[i], "--help")) {
                line_.action = FlashAction::Help;
                return line_;
            }
        for (int i = 0; i < count; ++i)
            if (Is(args[i], "--version")) {
                line_.action = FlashAction::Version;
                return line_;
            }
        bool optionsEnded = false;
        const char* actionOption = nullptr;
        const char* forceOption = nullptr;
        const char* upgradeOption = nullptr;
        const char* imageOption = nullptr;
        const char* imageSettingOption = nullptr;
        for (int i = 0; i < count && line_.problem == UsageProblem::None; ++i) {
            const char* arg = args[i];
            if (optionsEnded || arg[0] != '-') {
                TakeDevice(arg);
            } else if (Is(arg, "--")) {
                optionsEnded = true;
            } else if (Is(arg, "--list") || Is(arg, "--info") || Is(arg, "--save") || Is(arg, "--verify")) {
                if (actionOption != nullptr) {
                    Fail(UsageProblem::ConflictingActions, arg);
                    break;
                }
                actionOption = arg;
                line_.action = Is(arg, "--list")     ? FlashAction::List
                               : Is(arg, "--info")   ? FlashAction::Info
                               : Is(arg, "--verify") ? FlashAction::Verify
                                                     : FlashAction::Save;
                if (line_.action == FlashAction::Save) line_.saveFile = TakeFile(count, args, i);
            } else if (Is(arg, "--backup")) {
                line_.backupFile = TakeFile(count, args, i);
                upgradeOption = arg;
            } else if (Is(arg, "--no-backup") || Is(arg, "--allow-reinstall") || Is(arg, "--allow-other-model") ||
                       Is(arg, "--ignore-power")) {
                (Is(arg, "--no-backup")         ? line_.noBackup
                 : Is(arg, "--allow-reinstall") ? line_.allowReinstall
                 : Is(arg, "--ignore-power")    ? line_.ignorePower
                                                : line_.allowOtherModel) = true;
                upgradeOption = arg;
            } else if (Is(arg, "-v") || Is(arg, "--verbose")) {
                line_.verbose = true;
            } else if (Is(arg, "--json")) {
                line_.json = true;
            } else if (Is(arg, "--image")) {
                line_.imageFile = TakeFile(count, args, i);
                imageOption = arg;
            } else if (Is(arg, "--revision") || Is(arg, "--mask") || Is(arg, "--sum")) {
                TakeImageSetting(arg, i + 1 < count ? args[i + 1] : nullptr);
                ++i;
                imageSettingOption = arg;
            } else if (Is(arg, "--force")) {
                line_.force = true;
                forceOption = arg;
            } else if (Is(arg, "--yes") || Is(arg, "--dry-run")) {
                (Is(arg, "--yes") ? line_.yes : line_.dryRun) = true;
                upgradeOption = arg;
            } else {
                Fail(UsageProblem::UnknownOption, arg);
            }
        }
        if (line_.problem != UsageProblem::None) return line_;

        const bool needsDevice = line_.action == FlashAction::Upgrade || line_.action == FlashAction::Save ||
                                 line_.action == FlashAction::Verify;
        if (forceOption != nullptr && line_.action != FlashAction::Save)
            Fail(UsageProblem::OptionNotForAction, forceOption);
        else if (upgradeOption != nullptr && line_.action != FlashAction::Upgrade)
            Fail(UsageProblem::OptionNotForAction, upgradeOption);
        else if (imageOption != nullptr && line_.action != FlashAction::Upgrade &&
                 line_.action != FlashAction::Verify && line_.action != FlashAction::Info)
            Fail(UsageProblem::OptionNotForAction, imageOption);
        else if (imageSettingOption != nullptr && imageOption == nullptr)
            Fail(UsageProblem::ImageOptionAlone, imageSettingOption);
        else if (line_.json && line_.action == FlashAction::Upgrade && !line_.yes && !line_.dryRun)
            Fail(UsageProblem::JsonNeedsAnswers, nullptr);
        else if (line_.backupFile != nullptr && line_.noBackup)
            Fail(UsageProblem::ConflictingOptions, nullptr);
        else if (needsDevice && line_.device == nullptr)
            Fail(UsageProblem::MissingDevice, nullptr);
        else if (!needsDevice && line_.device != nullptr)
            Fail(UsageProblem::ExtraArgument, line_.device);
        return line_;
    }

private:
    // The FILE after the option at `i` (stepping over it); null, with the
    // problem set, when there is none. A file whose name starts with "--"
    // is given as ./--name.
    const char* TakeFile(int count, const char* const* args, int& i) {
        if (i + 1 >= count || args[i + 1][0] == '\0' || std::strncmp(args[i + 1], "--", 2) == 0) {
            Fail(UsageProblem::MissingFile, args[i]);
            return nullptr;
        }
        return args[++i];
    }

    // The value of --revision, --mask or --sum.
    void TakeImageSetting(const char* option, const char* value) {
        if (value == nullptr) {
            Fail(UsageProblem::BadNumber, option);
        } else if (Is(option, "--revision")) {
            if (std::strlen(value) > 4)
                Fail(UsageProblem::BadRevision, value);
            else
                line_.imageRevision = value;
        } else if (Is(option, "--mask")) {
            if (ParseMaskText(value, std::strlen(value), line_.imageMask) != NumberTextProblem::None)
                Fail(UsageProblem::BadNumber, value);
        } else {
            std::uint16_t sum = 0;
            if (ParseSumText(value, std::strlen(value), sum) != NumberTextProblem::None) Fail(UsageProblem::BadNumber, value);
            line_.imageSum = sum;
            line_.imageSumGiven = true;
        }
    }

    void TakeDevice(const char* arg) {
        if (line_.device != nullptr)
            Fail(UsageProblem::ExtraArgument, arg);
        else if (arg[0] == '\0')
            Fail(UsageProblem::MissingDevice, nullptr);
        else
            line_.device = arg;
    }

    void Fail(UsageProblem problem, const char* offending) {
        line_.problem = problem;
        line_.offending = offending;
    }

    FlashCommandLine line_;
};

}  // namespace

FlashCommandLine ParseFlashCommandLine(int count, const char* const* args) { return Parser().Run(count, args); }

const char* UsageProblemText(UsageProblem problem) {
    switch (problem) {
    case UsageProblem::None: return "";
    case UsageProblem::UnknownOption: return "unknown option";
    case UsageProblem::MissingFile: return "this option needs a FILE to write";
    case UsageProblem::MissingDevice: return "name the DEVICE (see --list)";
    case UsageProblem::ExtraArgument: return "unexpected argument";
    case UsageProblem::ConflictingActions: return "only one of --list, --info, --save and --verify at a time";
    case UsageProblem::OptionNotForAction: return "option does not go with this command";
    case UsageProblem::ConflictingOptions: return "--backup FILE and --no-backup exclude each other";
    case UsageProblem::JsonNeedsAnswers: return "--json asks nothing: the upgrade needs --yes or --dry-run";
    case UsageProblem::BadNumber: return "not a number in range (--mask: 0 to 0xFF, --sum: 1 to 4 hex digits)";
    case UsageProblem::BadRevision: return "--revision takes at most 4 characters";
    case UsageProblem::ImageOptionAlone: return "this option goes with --image FILE";
    }
    return "malformed command line";
}

const char kFlashUsage[] =
    "Usage: ktxflash [UPGRADE OPTIONS] DEVICE      upgrade the drive's firmware to P1.3\n"
    "       ktxflash --save FILE [--force] DEVICE   save the drive's firmware into FILE\n"
    "       ktxflash --verify DEVICE                compare the drive's firmware with the image\n"
    "  (the upgrade, --verify and --info take --image FILE [--revision TAG] [--mask N] [--sum HEX]:\n"
    "   a raw 131,072-byte image, such as a backup, instead of the embedded one)\n"
    "       ktxflash --list                         list the drives found\n"
    "       ktxflash --info                         show the embedded firmware package\n"
    "       ktxflash --help                         show this text\n"
    "       ktxflash --version                      show the release's version\n"
    "\n"
    "DEVICE is a drive as --list shows it (on Linux a /dev/sg* path).\n"
    "Upgrade options:\n"
    "  --yes                answer yes to both confirmations\n"
    "  --dry-run            make every check and read the firmware, send no firmware to the drive\n"
    "  --backup FILE        the backup of the drive's firmware goes to FILE (default:\n"
    "                       PRODUCT-REVISION-YYYYMMDD-HHMMSS.bin in the current directory)\n"
    "  --no-backup          flash without a backup\n"
    "  --allow-reinstall    flash a drive that already holds this firmware\n"
    "  --allow-other-model  flash a drive that does not report itself as TAVRINE KTX7724R05\n"
    "  --ignore-power       flash on battery with less than 25% charge left\n"
    "  --force              let --save replace an existing FILE\n"
    "  -v, --verbose        print every command sent to the drive: bytes, direction, length, outcome,\n"
    "                       time taken\n"
    "  --json               JSON Lines on standard output (text for people on standard error);\n"
    "                       the upgrade then needs --yes or --dry-run\n"
    "Exit status:\n"
    "  0  success: upgraded, already current, verified the same, saved, listed\n"
    "  1  a firmware download command was sent and the upgrade did not succeed\n"
    "     (the drive may hold part of the new firmware)\n"
    "  2  malformed command line\n"
    "  3  any other failure or refusal (a check, the rights, the power, no drive,\n"
    "     the answer No, a failed read, a dry run that a real run would refuse):\n"
    "     no firmware command reached the drive\n"
    "  4  --verify found differences\n";

}  // namespace terminal
