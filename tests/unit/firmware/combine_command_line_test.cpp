#include "command_line.h"


#include <gtest/gtest.h>


#include "combine_test_files.h"

#include "sample_image.h"


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
    const ToolRun mask = RunTool({"t.exe", "i.bin", "--revision", "P", "--mask", "1\n\x1b[2J", "-o", "o.exe"});
    EXPECT_EQ(mask.status, kExitRefused);
    EXPECT_EQ(mask.err, "ktxcombine: mask \"1\\x0A\\x1B[2J\" is not a number (use decimal or 0x-hex, 0 to 0xFF)\n");

    std::string problem;
    unsigned value = 0;
    EXPECT_FALSE(ParseMask(std::string("0x1\r00", 6), value, problem));
    EXPECT_EQ(problem, "mask \"0x1\\x0D00\" is not a number (use decimal or 0x-hex, 0 to 0xFF)");

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
    };
    for (const auto& args : malformed) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.status, kExitUsage) << (args.empty() ? "(none)" : args.back());
        EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
    }
    const ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_NE(help.out.find("ktxcombine TEMPLATE IMAGE --revision TAG --mask N -o OUTPUT"), std::string::npos);
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
                                     dir.Path("image.bin"), "-o", dir.Path("out.exe")});
    ASSERT_EQ(combine.status, kExitSuccess) << combine.err;

    const ToolRun described = RunTool({"--info", dir.Path("out.exe")});
    EXPECT_EQ(described.status, kExitSuccess);
    for (const char* expected :
         {"combined package at file offset 0x1013", "revision tag:        \"P1.3\"",
          "expected sum text:   \"0E89\" (reads 0E89)", "computed image sum:  0E89 (matches)",
          "version-check mask:  0x0F", "block 1 (image 0x00000..0x03FFF) sum: 7E45",
          "block 8 (image 0x1C000..0x1FFFF) sum: "}) {
        EXPECT_NE(described.out.find(expected), std::string::npos) << expected << "\n" << described.out;
    }
}

TEST(CombineCommandLine, InfoShowsAMismatchedSumAndRefusesFilesWithoutAPackage) {
    ScratchDirectory dir;
    auto program = TemplateProgram();
    const std::size_t at = FirstPackageOffset();
    const char header[] = "r\x01\0\0\0" "0e8Z";  // lower case, stops at Z: reads 0xE8
    std::copy(header, header + sizeof header - 1, program.begin() + at);
    dir.Write("odd.exe", program);

    const ToolRun described = RunTool({"--info", dir.Path("odd.exe")});
    EXPECT_EQ(described.status, kExitSuccess);
    EXPECT_NE(described.out.find("revision tag:        \"r\\x01\""), std::string::npos) << described.out;
    EXPECT_NE(described.out.find("\"0e8Z\" (reads 00E8)"), std::string::npos) << described.out;
    EXPECT_NE(described.out.find("computed image sum:  0000 (DIFFERS"), std::string::npos) << described.out;

    dir.Write("plain.bin", std::vector<std::uint8_t>(1000, 0));
    const ToolRun plain = RunTool({"--info", dir.Path("plain.bin")});
    EXPECT_EQ(plain.status, kExitRefused);
    EXPECT_NE(plain.err.find("plain.bin: no firmware package area"), std::string::npos) << plain.err;

    const ToolRun missing = RunTool({"--info", dir.Path("missing.exe")});
    EXPECT_EQ(missing.status, kExitRefused);
    EXPECT_NE(missing.err.find("missing.exe: cannot read"), std::string::npos) << missing.err;
}
