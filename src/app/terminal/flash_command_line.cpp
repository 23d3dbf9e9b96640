#include "app/terminal/flash_command_line.h"

#include <cstdint>
#include <cstring>

#include "firmware/firmware_package.h"
#include "platform/display_text.h"

namespace terminal {
namespace {

bool Is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

class Parser {
public:
    FlashCommandLine Run(int count, const char* const* args) {
        for (int i = 0; i < count; ++i)
            if (Is(args[i], "--help") || Is(args[i], "-h")) {
                line_.action = FlashAction::Help;
                return line_;
            }
        for (int i = 0; i < count && !Is(args[i], "--"); ++i)
            if (Is(args[i], "--json")) line_.json = true;
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
        const char* maskValue = nullptr;
        for (int i = 0; i < count && line_.problem == UsageProblem::None; ++i) {
            const char* arg = args[i];
            if (optionsEnded || arg[0] != '-') {
                TakeDevice(arg);
            } else if (Is(arg, "--")) {
                optionsEnded = true;
            } else if (Is(arg, "--list") || Is(arg, "--info") || Is(arg, "--save") || Is(arg, "--verify")) {
                if (actionOption != nullptr) {
                    Fail(UsageProblem::ConflictingActions, arg);
                    line_.otherAction = actionOption;
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
            } else if (Is(arg, "--revision") || Is(arg, "--mask") || Is(arg, "--sum") || Is(arg, "--sha256")) {
                const char* value = i + 1 < count ? args[i + 1] : nullptr;
                TakeImageSetting(arg, value);
                ++i;
                imageSettingOption = arg;
                if (Is(arg, "--mask")) maskValue = value;
            } else if (Is(arg, "--unchecked-image")) {
                line_.imageUnchecked = true;
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
        else if (imageOption != nullptr && line_.imageSha256.kind == PublishedCheck::Kind::None &&
                 line_.imageSum.kind == PublishedCheck::Kind::None && !line_.imageUnchecked)
            Fail(UsageProblem::ImageUnchecked, imageOption);
        else if (maskValue != nullptr &&
                 VersionMaskProblem(line_.imageRevision != nullptr ? std::strlen(line_.imageRevision) : 0,
                                    line_.imageMask) != nullptr)
            Fail(UsageProblem::BadMask, maskValue);
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

    // The value of --revision, --mask, --sum or --sha256.
    void TakeImageSetting(const char* option, const char* value) {
        if (value == nullptr) {
            Fail(Is(option, "--sha256") ? UsageProblem::BadSha256 : UsageProblem::BadNumber, option);
        } else if (Is(option, "--sha256")) {
            if (!ParseSha256Text(value, std::strlen(value), line_.imageSha256.sha256))
                Fail(UsageProblem::BadSha256, value);
            line_.imageSha256.kind = PublishedCheck::Kind::Sha256;
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
            line_.imageSum.byteSum = sum;
            line_.imageSum.kind = PublishedCheck::Kind::ByteSum;
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

namespace {

// The offending argument in quotes, as typed (control characters escaped).
void AppendQuoted(TextBuffer& out, const char* argument) {
    out.Append('"');
    AppendDisplayPath(out, argument != nullptr ? argument : "");
    out.Append('"');
}

// The sentence of a problem: `before`, the offending argument quoted when
// `quoted`, then `after`.
struct UsageProblemText {
    UsageProblem problem;
    const char* before;
    bool quoted;
    const char* after;
};

constexpr UsageProblemText kUsageProblemTexts[] = {
    {UsageProblem::UnknownOption, "unknown option ", true, ""},
    {UsageProblem::MissingFile, "", true, " needs a FILE after it"},
    {UsageProblem::MissingDevice, "name the DEVICE: --list shows the drives", false, ""},
    {UsageProblem::ExtraArgument, "unexpected argument ", true, ""},
    {UsageProblem::OptionNotForAction, "", true, " does not go with this command"},
    {UsageProblem::ConflictingOptions, "--backup FILE and --no-backup exclude each other", false, ""},
    {UsageProblem::JsonNeedsAnswers, "--json asks nothing: the upgrade needs --yes or --dry-run", false, ""},
    {UsageProblem::BadNumber, "", true, " is not a number in range (--mask: 0 to 0x0F, --sum: 1 to 4 hex digits)"},
    {UsageProblem::BadSha256, "", true, " is not a SHA-256: --sha256 takes 64 hexadecimal digits"},
    {UsageProblem::BadRevision, "", true, ": --revision takes at most 4 characters"},
    {UsageProblem::ImageOptionAlone, "", true, " goes with --image FILE"},
    {UsageProblem::ImageUnchecked,
     "--image needs the check its maker published: --sha256 HEX or --sum HEX (--unchecked-image: none)", false, ""},
};

}  // namespace

void AppendUsageProblem(const FlashCommandLine& line, TextBuffer& out) {
    if (line.problem == UsageProblem::ConflictingActions) {
        AppendQuoted(out, line.offending);
        out.Append(" after ");
        AppendQuoted(out, line.otherAction);
        out.Append(": one of --list, --info, --save and --verify at a time");
    } else if (line.problem == UsageProblem::BadMask) {
        const char* revision = line.imageRevision != nullptr ? line.imageRevision : "";
        out.Append("--mask ");
        AppendQuoted(out, line.offending);
        out.Append(' ');
        out.Append(VersionMaskProblem(std::strlen(revision), line.imageMask));
        out.Append(" (--revision ");
        AppendQuoted(out, revision);
        out.Append(')');
    }
    for (const UsageProblemText& text : kUsageProblemTexts) {
        if (text.problem != line.problem) continue;
        out.Append(text.before);
        if (text.quoted) AppendQuoted(out, line.offending);
        out.Append(text.after);
    }
}

const char kFlashOptionsHelp[] =
    "Upgrade options:\n"
    "  --yes                answer yes to both confirmations\n"
    "  --dry-run            make every check and read the firmware; send no\n"
    "                       firmware to the drive\n"
    "  --backup FILE        write the backup of the drive's firmware to FILE\n"
    "                       (default: PRODUCT-REVISION-YYYYMMDD-HHMMSS.bin in\n"
    "                       the current directory; never over an existing file)\n"
    "  --no-backup          flash without a backup\n"
    "  --allow-reinstall    flash a drive that already holds this firmware\n"
    "  --allow-other-model  flash a drive that does not report itself as\n"
    "                       TAVRINE KTX7724R05\n"
    "  --ignore-power       flash on battery with less than 25% charge left\n"
    "Image options (the upgrade, --verify, --info):\n"
    "  --image FILE         a raw 131,072-byte image, such as a backup, instead\n"
    "                       of the embedded one; it needs the check its maker\n"
    "                       published:\n"
    "  --sha256 HEX         the SHA-256 of FILE (64 hex digits)\n"
    "  --sum HEX            the 16-bit byte sum of FILE (1 to 4 hex digits)\n"
    "  --unchecked-image    use FILE without either check\n"
    "  --revision TAG       the revision the image carries (default: none)\n"
    "  --mask N             which of TAG's four characters the drive's revision\n"
    "                       must already share: bit 3 (0x08) the first ... bit 0\n"
    "                       (0x01) the fourth; for TAG P1.3, 0x0C lets any P1.x\n"
    "                       drive through, 0x0F only a reinstall, 0 every drive\n"
    "                       (the default)\n"
    "Other options:\n"
    "  --force              let --save replace an existing FILE\n"
    "  -v, --verbose        print every command sent to the drive: bytes,\n"
    "                       direction, length, outcome, time taken\n"
    "  --json               JSON Lines on standard output (text for people on\n"
    "                       standard error); the upgrade then needs --yes or\n"
    "                       --dry-run\n"
    "  -h, --help           show this text\n"
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
