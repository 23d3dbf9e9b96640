// What ktxflash prints for people to act on: a command's words quoted for
// each system's command interpreter, a backup's path made absolute, and
// the revision refusal in words.

#include <gtest/gtest.h>

#include "app/terminal/flash_conventions.h"
#include "app/terminal/drive_rules.h"

namespace {

using terminal::kLinuxFlashConventions;
using terminal::kWindowsFlashConventions;

TEST(PrintedCommand, WordsAreQuotedForTheSystemsCommandInterpreter) {
    const struct {
        const char* word;
        const char* posix;
        const char* windows;
    } cases[] = {
        {"/dev/sg1", "/dev/sg1", "/dev/sg1"},
        {"E:", "E:", "E:"},
        {"./ktxflash-p13", "./ktxflash-p13", "./ktxflash-p13"},
        {"/home/a b/old.bin", "'/home/a b/old.bin'", "\"/home/a b/old.bin\""},
        {"C:\\My Files\\old.bin", "'C:\\My Files\\old.bin'", "\"C:\\My Files\\old.bin\""},
        {"C:\\fw\\old.bin", "'C:\\fw\\old.bin'", "C:\\fw\\old.bin"},
        {"it's.bin", "'it'\\''s.bin'", "\"it's.bin\""},
        {"a&b", "'a&b'", "\"a&b\""},
        {"caf\xC3\xA9.bin", "caf\xC3\xA9.bin", "caf\xC3\xA9.bin"},
        {"new\nline", "'new\\x0Aline'", "\"new\\x0Aline\""},
    };
    for (const auto& c : cases) {
        MessageText posix, windows;
        AppendCommandWord(kLinuxFlashConventions, c.word, posix);
        AppendCommandWord(kWindowsFlashConventions, c.word, windows);
        EXPECT_STREQ(posix.c_str(), c.posix) << c.word;
        EXPECT_STREQ(windows.c_str(), c.windows) << c.word;
    }
}

TEST(PrintedCommand, PathsAreMadeAbsoluteAgainstTheCurrentDirectory) {
    const struct {
        const terminal::FlashConventions& conventions;
        const char* directory;
        const char* path;
        const char* absolute;
    } cases[] = {
        {kLinuxFlashConventions, "/home/u", "old.bin", "/home/u/old.bin"},
        {kLinuxFlashConventions, "/home/u", "./old.bin", "/home/u/old.bin"},
        {kLinuxFlashConventions, "/", "old.bin", "/old.bin"},
        {kLinuxFlashConventions, "/home/u", "/tmp/old.bin", "/tmp/old.bin"},
        {kLinuxFlashConventions, "/home/u", "../b/old.bin", "/home/u/../b/old.bin"},
        {kWindowsFlashConventions, "C:\\Users\\u", "old.bin", "C:\\Users\\u\\old.bin"},
        {kWindowsFlashConventions, "C:\\", "old.bin", "C:\\old.bin"},
        {kWindowsFlashConventions, "C:\\Users\\u", "D:\\fw\\old.bin", "D:\\fw\\old.bin"},
        {kWindowsFlashConventions, "C:\\Users\\u", "\\fw\\old.bin", "C:\\fw\\old.bin"},
        {kWindowsFlashConventions, "C:\\Users\\u", ".\\old.bin", "C:\\Users\\u\\old.bin"},
    };
    for (const auto& c : cases) {
        MessageText out;
        AppendAbsolutePath(c.conventions, c.directory, c.path, out);
        EXPECT_STREQ(out.c_str(), c.absolute) << c.directory << " + " << c.path;
    }
}

TEST(RevisionRefusal, SaysWhichCharactersHadToMatch) {
    const struct {
        const char* drive;
        const char* tag;
        std::uint8_t mask;
        const char* text;
    } cases[] = {
        {"P1.2", "P1.3", 0x0F,
         "the drive's revision is \"P1.2\", the image's tag \"P1.3\", mask 0x0F: the drive's characters 1, 2, 3 and 4 "
         "must be \"P\", \"1\", \".\" and \"3\" (case ignored)"},
        {"X1.2", "P1", 0x0C,
         "the drive's revision is \"X1.2\", the image's tag \"P1\", mask 0x0C: the drive's characters 1 and 2 must be "
         "\"P\" and \"1\" (case ignored)"},
        {"Q1.2", "P1.3", 0x08,
         "the drive's revision is \"Q1.2\", the image's tag \"P1.3\", mask 0x08: the drive's character 1 must be \"P\" "
         "(case ignored)"},
        {"P1.2", "P1.3", 0x0A,
         "the drive's revision is \"P1.2\", the image's tag \"P1.3\", mask 0x0A: the drive's characters 1 and 3 must "
         "be \"P\" and \".\" (case ignored)"},
        // An old package's mask beyond its tag: the tag has NUL there.
        {"P1.2", "", 0x08,
         "the drive's revision is \"P1.2\", the image's tag \"\", mask 0x08: the drive's character 1 must be \"\\x00\" "
         "(case ignored)"},
    };
    for (const auto& c : cases) {
        MessageText out;
        terminal::AppendRevisionRefusal(MakeRevisionText(c.drive), MakeRevisionText(c.tag), c.mask, out);
        EXPECT_STREQ(out.c_str(), c.text);
    }
}

}  // namespace
