// The ktxflash command line: what each well-formed line asks for, and each
// kind of malformed line with the argument it is about.

#include "app/terminal/flash_command_line.h"

#include "app/terminal/flash_conventions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

using terminal::FlashAction;
using terminal::UsageProblem;
using Kind = PublishedCheck::Kind;

terminal::FlashCommandLine Parse(std::initializer_list<const char*> args) {
    const std::vector<const char*> list(args);
    return terminal::ParseFlashCommandLine(static_cast<int>(list.size()), list.data());
}

std::string Text(const char* s) { return s != nullptr ? s : "(null)"; }

constexpr char kSha256[] = "0e8900000000000000000000000000000000000000000000000000000000ABCD";

TEST(FlashCommandLine, WellFormedLinesSayWhatToDo) {
    auto upgrade = Parse({"/dev/sg1"});
    EXPECT_EQ(upgrade.problem, UsageProblem::None);
    EXPECT_EQ(upgrade.action, FlashAction::Upgrade);
    EXPECT_EQ(Text(upgrade.device), "/dev/sg1");
    EXPECT_FALSE(upgrade.yes || upgrade.dryRun || upgrade.force);

    auto unattended = Parse({"--dry-run", "E:", "--yes"});
    EXPECT_EQ(unattended.problem, UsageProblem::None);
    EXPECT_EQ(unattended.action, FlashAction::Upgrade);
    EXPECT_EQ(Text(unattended.device), "E:");
    EXPECT_TRUE(unattended.yes && unattended.dryRun);

    auto save = Parse({"/dev/sg0", "--force", "--save", "old.bin"});
    EXPECT_EQ(save.problem, UsageProblem::None);
    EXPECT_EQ(save.action, FlashAction::Save);
    EXPECT_EQ(Text(save.saveFile), "old.bin");
    EXPECT_EQ(Text(save.device), "/dev/sg0");
    EXPECT_TRUE(save.force);

    EXPECT_EQ(Parse({"--list"}).action, FlashAction::List);
    EXPECT_EQ(Parse({"--info"}).action, FlashAction::Info);
    // --help wins over anything else on the line, malformed or not.
    EXPECT_EQ(Parse({"--bogus", "--help", "a", "b"}).action, FlashAction::Help);
    EXPECT_EQ(Parse({"--bogus", "--help"}).problem, UsageProblem::None);
    // --version likewise, short of --help.
    EXPECT_EQ(Parse({"--bogus", "--version", "a"}).action, FlashAction::Version);
    EXPECT_EQ(Parse({"--version", "--help"}).action, FlashAction::Help);

    // After "--" an argument starting with '-' is a DEVICE; "./--x" is a FILE.
    auto dashed = Parse({"--save", "./--x", "--", "-odd-device"});
    EXPECT_EQ(dashed.problem, UsageProblem::None);
    EXPECT_EQ(Text(dashed.saveFile), "./--x");
    EXPECT_EQ(Text(dashed.device), "-odd-device");
}

TEST(FlashCommandLine, MalformedLinesNameTheirProblemAndArgument) {
    struct Case {
        std::initializer_list<const char*> args;
        UsageProblem problem;
        const char* offending;
    };
    const Case cases[] = {
        {{}, UsageProblem::MissingDevice, nullptr},
        {{"--yes"}, UsageProblem::MissingDevice, nullptr},
        {{"--save", "out.bin"}, UsageProblem::MissingDevice, nullptr},
        {{""}, UsageProblem::MissingDevice, nullptr},
        {{"--save"}, UsageProblem::MissingFile, "--save"},
        {{"--save", "--force", "/dev/sg0"}, UsageProblem::MissingFile, "--save"},
        {{"--save", "", "/dev/sg0"}, UsageProblem::MissingFile, "--save"},
        {{"--frce", "/dev/sg0"}, UsageProblem::UnknownOption, "--frce"},
        {{"-y", "/dev/sg0"}, UsageProblem::UnknownOption, "-y"},
        {{"/dev/sg0", "/dev/sg1"}, UsageProblem::ExtraArgument, "/dev/sg1"},
        {{"--list", "/dev/sg0"}, UsageProblem::ExtraArgument, "/dev/sg0"},
        {{"--info", "x"}, UsageProblem::ExtraArgument, "x"},
        {{"--list", "--info"}, UsageProblem::ConflictingActions, "--info"},
        {{"--save", "a", "--save", "b", "/dev/sg0"}, UsageProblem::ConflictingActions, "--save"},
        {{"--force", "/dev/sg0"}, UsageProblem::OptionNotForAction, "--force"},
        {{"--save", "a", "--yes", "/dev/sg0"}, UsageProblem::OptionNotForAction, "--yes"},
        {{"--list", "--dry-run"}, UsageProblem::OptionNotForAction, "--dry-run"},
        {{"--verify"}, UsageProblem::MissingDevice, nullptr},
        {{"--verify", "--save", "a", "/dev/sg0"}, UsageProblem::ConflictingActions, "--save"},
        {{"--verify", "--no-backup", "/dev/sg0"}, UsageProblem::OptionNotForAction, "--no-backup"},
        {{"--backup", "/dev/sg0"}, UsageProblem::MissingDevice, nullptr},
        {{"--backup", "--yes", "/dev/sg0"}, UsageProblem::MissingFile, "--backup"},
        {{"--backup", "b.bin", "--no-backup", "/dev/sg0"}, UsageProblem::ConflictingOptions, nullptr},
        {{"--save", "a", "--allow-other-model", "/dev/sg0"}, UsageProblem::OptionNotForAction, "--allow-other-model"},
        {{"--json", "/dev/sg0"}, UsageProblem::JsonNeedsAnswers, nullptr},
        // --image needs the maker's check, or --unchecked-image.
        {{"--image", "a.bin", "/dev/sg0"}, UsageProblem::ImageUnchecked, "--image"},
        {{"--image", "a.bin", "--revision", "P1", "--mask", "0x0C", "/dev/sg0"}, UsageProblem::ImageUnchecked, "--image"},
        {{"--sha256", "ab", "--image", "a.bin", "/dev/sg0"}, UsageProblem::BadSha256, "ab"},
        {{"--image", "a.bin", "--sha256"}, UsageProblem::BadSha256, "--sha256"},
        {{"--image", "a.bin", "--sum", "1", "--mask"}, UsageProblem::BadNumber, "--mask"},
        {{"--sha256", kSha256, "/dev/sg0"}, UsageProblem::ImageOptionAlone, "--sha256"},
        {{"--unchecked-image", "/dev/sg0"}, UsageProblem::ImageOptionAlone, "--unchecked-image"},
        // A mask selects characters 1..4 of the tag, and only those it has.
        {{"--image", "a.bin", "--sum", "1", "--mask", "0x10", "--revision", "P1.3", "/dev/sg0"}, UsageProblem::BadMask, "0x10"},
        {{"--image", "a.bin", "--sum", "1", "--revision", "P1", "--mask", "0x0E", "/dev/sg0"}, UsageProblem::BadMask, "0x0E"},
        {{"--image", "a.bin", "--sum", "1", "--mask", "8", "/dev/sg0"}, UsageProblem::BadMask, "8"},
    };
    for (const Case& c : cases) {
        const std::vector<const char*> list(c.args);
        std::string shown;
        for (const char* a : list) shown += std::string("'") + a + "' ";
        SCOPED_TRACE(shown);
        const auto line = terminal::ParseFlashCommandLine(static_cast<int>(list.size()), list.data());
        EXPECT_EQ(line.problem, c.problem);
        EXPECT_EQ(Text(line.offending), Text(c.offending));
        MessageText message;
        terminal::AppendUsageProblem(line, message);
        EXPECT_FALSE(message.empty());
    }
}

TEST(FlashCommandLine, ImageChecksMasksAndConventions) {
    // Both checks may be given; the mask fits the tag.
    auto checked = Parse({"--image", "a.bin", "--sha256", kSha256, "--sum", "0x0e89", "--revision", "P1.3", "--mask",
                          "0x0C", "/dev/sg0"});
    EXPECT_EQ(checked.problem, UsageProblem::None);
    EXPECT_EQ(checked.imageSha256.kind, Kind::Sha256);
    EXPECT_EQ(checked.imageSha256.sha256.bytes[0], 0x0E);
    EXPECT_EQ(checked.imageSha256.sha256.bytes[31], 0xCD);
    EXPECT_EQ(checked.imageSum.kind, Kind::ByteSum);
    EXPECT_EQ(checked.imageSum.byteSum, 0x0E89);
    EXPECT_EQ(checked.imageMask, 0x0Cu);
    auto unchecked = Parse({"--verify", "--image", "a.bin", "--unchecked-image", "/dev/sg0"});
    EXPECT_EQ(unchecked.problem, UsageProblem::None);
    EXPECT_TRUE(unchecked.imageUnchecked);
    EXPECT_EQ(Parse({"--info", "--image", "a.bin", "--sum", "0", "--mask", "0"}).problem, UsageProblem::None);

    // -h is --help; --json is known even when the line is malformed, so
    // the error can be a JSON object too (not after "--": a DEVICE then).
    EXPECT_EQ(Parse({"-h", "--bogus"}).action, FlashAction::Help);
    EXPECT_TRUE(Parse({"--bogus", "--json"}).json);
    EXPECT_FALSE(Parse({"--bogus", "--", "--json"}).json);
}

// The messages name the offending argument once, inside the sentence.
TEST(FlashCommandLine, UsageMessagesReadAsOneSentence) {
    const struct {
        std::initializer_list<const char*> args;
        const char* message;
    } cases[] = {
        {{"--list", "--verify", "x"}, "\"--verify\" after \"--list\": one of --list, --info, --save and --verify at a time"},
        {{}, "name the DEVICE: --list shows the drives"},
        {{"--image", "a.bin", "--sum", "1", "--revision", "P1", "--mask", "0x0F", "x"},
         "--mask \"0x0F\" selects characters beyond the end of the revision tag (--revision \"P1\")"},
        {{"--image", "a.bin", "x"},
         "--image needs the check its maker published: --sha256 HEX or --sum HEX (--unchecked-image: none)"},
        {{"--\x1b[1m"}, "unknown option \"--\\x1B[1m\""},
        // A Windows path as typed, not with its backslashes escaped.
        {{"E:", "C:\\fw\\P13.BIN"}, "unexpected argument \"C:\\fw\\P13.BIN\""},
    };
    for (const auto& c : cases) {
        const std::vector<const char*> list(c.args);
        const auto line = terminal::ParseFlashCommandLine(static_cast<int>(list.size()), list.data());
        MessageText message;
        terminal::AppendUsageProblem(line, message);
        EXPECT_STREQ(message.c_str(), c.message);
    }
}

TEST(FlashCommandLine, HelpOfEachSystemNamesEveryOptionItsExamplesAndFitsAnOldConsole) {
    struct Case {
        const terminal::FlashConventions& conventions;
        std::vector<const char*> examples;
    };
    const Case cases[] = {
        {terminal::kLinuxFlashConventions, {"/dev/sg", "sudo ktxflash /dev/sg1", "ktxflash --list"}},
        {terminal::kWindowsFlashConventions, {"ktxflash.exe --list", "ktxflash.exe E:", "ktxflash.exe 0:1"}},
    };
    for (const Case& c : cases) {
        const std::string usage = std::string(c.conventions.usage) + terminal::kFlashOptionsHelp;
        SCOPED_TRACE(usage);
        for (const char* option :
             {"--list", "--info", "--save FILE", "--force", "--yes", "--dry-run", "-h, --help", "--version", "DEVICE",
              "--verify", "--backup FILE", "--no-backup", "--allow-reinstall", "--allow-other-model",
              "--ignore-power", "--json", "--verbose", "--image FILE", "--sha256 HEX", "--sum HEX",
              "--unchecked-image", "--revision TAG", "--mask N", "0x0C", "0x0F"})
            EXPECT_NE(usage.find(option), std::string::npos) << option;
        for (const char* example : c.examples) EXPECT_NE(usage.find(example), std::string::npos) << example;
        for (const char* status : {"\n  0  success", "\n  1  a firmware download", "\n  2  malformed",
                                   "\n  3  any other", "\n  4  --verify found differences"})
            EXPECT_NE(usage.find(status), std::string::npos) << status;
        // An old console adds a blank line after a full 80 columns.
        std::size_t start = 0;
        for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1)
            EXPECT_LE(end - start, 79u) << usage.substr(start, end - start);
    }
}

}  // namespace
