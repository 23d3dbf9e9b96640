#include "command_line.h"


#include <gtest/gtest.h>


#include "combine_test_files.h"
#include "published_check.h"
#include "sample_image.h"
#include "sha256_text.h"


namespace {

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun RunTool(const std::vector<std::string>& args) {
    ToolRun run{0, {}, {}};
    run.status = RunCombineTool(args, run.out, run.err);
    return run;
}

bool Mask(const std::string& text, unsigned& value) {
    std::string problem;
    return ParseMask(text, value, problem);
}

}  // namespace

TEST(ParseMask, AcceptsDecimalAndPrefixedHexUpTo0xFF) {
    const std::pair<const char*, unsigned> accepted[] = {
        {"0", 0}, {"15", 15}, {"255", 255}, {"010", 10}, {"0x0F", 0x0F}, {"0XfF", 0xFF}, {"0x000001", 1}};
    for (const auto& [text, expected] : accepted) {
        unsigned value = 999;
        EXPECT_TRUE(Mask(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
}

TEST(ParseMask, RefusesJunkAndValuesAbove0xFF) {
    for (const char* junk : {"", "0x", "-1", "+1", "12a", " 1", "1 ", "0xG", "1.0", "ff", "0b1"}) {
        unsigned value = 7;
        std::string problem;
        EXPECT_FALSE(ParseMask(junk, value, problem)) << junk;
        EXPECT_NE(problem.find("not a number"), std::string::npos) << junk;
        EXPECT_EQ(value, 7u);
    }
    for (const char* large : {"256", "0x100", "99999999999999999999999"}) {
        unsigned value = 7;
        std::string problem;
        EXPECT_FALSE(ParseMask(large, value, problem)) << large;
        EXPECT_NE(problem.find("above 0xFF"), std::string::npos) << large;
    }
}

// Values the tool refuses are repeated in a one-line message: a newline or
// a terminal escape in them must not split the line or reach the terminal.
TEST(CombineCommandLine, RefusedTextsAreShownEscapedOnOneLine) {
    const ToolRun mask = RunTool(
        {"t.exe", "i.bin", "--revision", "P", "--mask", "1\n\x1b[2J", "--unchecked-image", "-o", "o.exe"});
    EXPECT_EQ(mask.status, kExitRefused);
    EXPECT_EQ(mask.err, "ktxcombine: mask \"1\\x0A\\x1B[2J\" is not a number (use decimal or 0x-hex, 0 to 0x0F)\n");

    std::string problem;
    unsigned value = 0;
    EXPECT_FALSE(ParseMask(std::string("0x1\r00", 6), value, problem));
    EXPECT_EQ(problem, "mask \"0x1\\x0D00\" is not a number (use decimal or 0x-hex, 0 to 0x0F)");

    const ToolRun option = RunTool({"t.exe", "i.bin", "--bad\noption"});
    EXPECT_EQ(option.status, kExitUsage);
    EXPECT_EQ(option.err.find('\n'), option.err.size() - 1) << option.err;
    EXPECT_NE(option.err.find("unknown option \"--bad\\x0Aoption\""), std::string::npos) << option.err;
}

TEST(CombineCommandLine, MalformedCommandLinesExitWithUsageStatusAndHelpSucceeds) {
    const std::vector<std::vector<std::string>> malformed = {
        {},
        {"t.exe", "i.bin", "--revision", "P1.3", "--mask", "0"},                 // no -o
        {"t.exe", "--revision", "P1.3", "--mask", "0", "-o", "o.exe"},           // no image
        {"t.exe", "i.bin", "--revision", "P", "--mask", "0", "-o", "o", "-x"},   // unknown option
        {"t.exe", "i.bin", "--revision", "P", "--mask", "0", "-o"},              // no value
        {"t.exe", "i.bin", "--revision", "P", "--revision", "Q", "--mask", "0", "-o", "o"},
        {"--info", "a.exe", "b.exe"},
        {"--info", "a.exe", "--force"},
        {"t.exe", "i.bin", "--revision", "P", "--mask", "0", "--unchecked-image", "--sum", "0E89", "-o", "o"},
    };
    for (const auto& args : malformed) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, kExitUsage) << (args.empty() ? "(none)" : args.back());
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("ktxcombine TEMPLATE IMAGE --revision TAG --mask N"), std::string::npos);
    // An old console adds a blank line after a full 80 columns.
    for (std::size_t begin = 0, end; (end = help.out.find('\n', begin)) != std::string::npos; begin = end + 1) {
        EXPECT_LE(end - begin, 79u) << help.out.substr(begin, end - begin);
    }
    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out.rfind("ktxcombine ", 0), 0u) << version.out;
}

TEST(CombineCommandLine, CombinesThenDescribesTheResult) {
    ScratchDirectory dir;
    dir.Write("template.exe", TemplateProgram());
    dir.Write("image.bin", MakeSampleImage());

    const ToolRun info = RunTool({"--info", dir.Path("template.exe")});
    EXPECT_EQ(info.status, kExitSuccess);
    EXPECT_NE(info.out.find("uncombined template"), std::string::npos) << info.out;

    // Options may come before the files.
    const ToolRun combine = RunTool({"--mask", "0x0f", "--revision", "P1.3", dir.Path("template.exe"),
                                     dir.Path("image.bin"), "--sum", "0E89", "-o", dir.Path("out.exe")});
    ASSERT_EQ(combine.status, kExitSuccess) << combine.err;

    const ToolRun described = RunTool({"--info", dir.Path("out.exe")});
    EXPECT_EQ(described.status, kExitSuccess);
    for (const char* expected :
         {"combined package at file offset 0x1013", "revision tag:        \"P1.3\"",
          "expected sum text:   \"0E89\" (reads 0E89)", "computed image sum:  0E89 (matches)",
          "version-check mask:  0x0F", "block 1 (image 0x00000..0x03FFF) sum: 7E45",
          "block 8 (image 0x1C000..0x1FFFF) sum: ",
          "  image SHA-256:\n    878fc1a8e7d37d38dadaed9c84a6c6d18e35be7fc7af106547659d36ca9e0c77\n"}) {
        EXPECT_NE(described.out.find(expected), std::string::npos) << expected << "\n" << described.out;
    }
}

TEST(CombineCommandLine, InfoShowsAMismatchedSumAndRefusesFilesWithoutAPackage) {
    ScratchDirectory dir;
    auto program = TemplateProgram();
    const std::size_t at = FirstPackageOffset();
    std::fill_n(program.begin() + at, 32, 0);
    const char header[] = "r\x01\0\0\0" "0e8a";  // hex digits of either case make a header
    std::copy(header, header + sizeof header - 1, program.begin() + at);
    dir.Write("odd.exe", program);

    const ToolRun described = RunTool({"--info", dir.Path("odd.exe")});
    EXPECT_EQ(described.status, kExitSuccess);
    EXPECT_NE(described.out.find("revision tag:        \"r\\x01\""), std::string::npos) << described.out;
    EXPECT_NE(described.out.find("\"0e8a\" (reads 0E8A)"), std::string::npos) << described.out;
    EXPECT_NE(described.out.find("computed image sum:  0000 (DIFFERS"), std::string::npos) << described.out;

    program[at + 8] = 'Z';  // no longer four hex digits: the anchor's bytes alone make no package
    dir.Write("odd.exe", program);
    dir.Write("plain.bin", std::vector<std::uint8_t>(1000, 0));
    for (const char* file : {"odd.exe", "plain.bin"}) {
        const ToolRun run = RunTool({"--info", dir.Path(file)});
        EXPECT_EQ(run.status, kExitRefused);
        EXPECT_NE(run.err.find(std::string(file) + ": no firmware package"), std::string::npos) << run.err;
    }

    const ToolRun missing = RunTool({"--info", dir.Path("missing.exe")});
    EXPECT_EQ(missing.status, kExitRefused);
    EXPECT_NE(missing.err.find("missing.exe: cannot read"), std::string::npos) << missing.err;
}

// The maker's check where the image enters, and the output rules, through
// the command line: each case in a fresh folder with the template and the
// sample image. A refused case writes nothing and changes no file.
TEST(CombineCommandLine, ChecksTheImageAndNeverReplacesAFileUnasked) {
    const std::string sha256 = Sha256Text(Sha256(MakeSampleImage().data(), MakeSampleImage().size()));
    const std::string wrong(64, 'a');
    struct Case {
        std::vector<std::string> options;  // besides TEMPLATE IMAGE --revision P1.3 --mask 0x0C
        bool outputExists;
        int status;
        std::vector<std::string> texts;  // in standard output or standard error
    };
    const Case cases[] = {
        {{"--sha256", sha256}, false, kExitSuccess, {"matches --sha256\n  SHA-256:  " + sha256 + "\n  byte sum: 0E89"}},
        {{"--sum", "e89", "--sha256", sha256}, false, kExitSuccess, {"matches --sha256 and --sum"}},
        {{"--unchecked-image"}, false, kExitSuccess, {"is not checked (--unchecked-image)", sha256}},
        {{"--sha256", wrong}, false, kExitRefused,
         {"image.bin: not the image the maker published (SHA-256 differs); nothing written\n",
          "  SHA-256:  " + sha256 + "\n  --sha256: " + wrong + "\n  byte sum: 0E89\n"}},
        {{"--sum", "0E88"}, false, kExitRefused, {"(byte sum differs)", "  byte sum: 0E89\n  --sum:    0E88\n"}},
        {{"--sum", "0E88", "--sha256", wrong}, false, kExitRefused, {"(SHA-256 and byte sum differ)"}},
        {{"--sha256", sha256.substr(1)}, false, kExitRefused, {"is not a SHA-256 (64 hexadecimal digits)"}},
        {{"--sum", "10000"}, false, kExitRefused, {"--sum \"10000\" is not a byte sum"}},
        {{}, false, kExitUsage, {"--sha256 HEX or --sum HEX"}},
        {{"--sum", "0E89"}, true, kExitRefused, {"out.exe: already exists; give --force to replace it"}},
        {{"--sum", "0E89", "--force"}, true, kExitSuccess, {"wrote "}},
        {{"--sum", "0E89", "--force", "-o", "template.exe"}, false, kExitRefused, {"is the template"}},
        {{"--sum", "0E89", "--force", "-o", "image.bin"}, false, kExitRefused, {"is the firmware image"}},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir;
        dir.Write("template.exe", TemplateProgram());
        dir.Write("image.bin", MakeSampleImage());
        if (c.outputExists) dir.Write("out.exe", {'o', 'l', 'd'});
        const auto before = dir.Entries();
        std::vector<std::string> args = {dir.Path("template.exe"), dir.Path("image.bin"), "--revision", "P1.3",
                                         "--mask", "0x0C"};
        bool namesOutput = false;
        for (const std::string& option : c.options) {
            // A file name among the options is one in the scratch folder.
            args.push_back(namesOutput ? dir.Path(option) : option);
            namesOutput = option == "-o";
        }
        if (std::find(c.options.begin(), c.options.end(), "-o") == c.options.end()) {
            args.insert(args.end(), {"-o", dir.Path("out.exe")});
        }
        const ToolRun run = RunTool(args);
        std::string shown = "options:";
        for (const std::string& option : c.options) shown += " " + option;
        EXPECT_EQ(run.status, c.status) << shown << "\n" << run.out << run.err;
        for (const std::string& text : c.texts) {
            EXPECT_NE((run.out + run.err).find(text), std::string::npos) << shown << ": " << text << "\n"
                                                                         << run.out << run.err;
        }
        EXPECT_EQ(dir.Read("template.exe"), TemplateProgram()) << shown;
        EXPECT_EQ(dir.Read("image.bin"), MakeSampleImage()) << shown;
        if (c.status != kExitSuccess) {
            EXPECT_EQ(dir.Entries(), before) << shown;
            if (c.outputExists) EXPECT_EQ(dir.Read("out.exe"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
        } else {
            EXPECT_EQ(dir.Read("out.exe").size(), TemplateProgram().size()) << shown;
        }
    }
}
