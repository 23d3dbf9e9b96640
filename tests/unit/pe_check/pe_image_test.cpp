// The PE reader over programs built in memory: what it reads from a 32-bit
// and a 64-bit program, and that a damaged file is refused with a reason
// instead of being read past its end.

#include <gtest/gtest.h>

#include "pe_image.h"
#include "pe_test_image.h"

namespace {

bool Read(const std::vector<std::uint8_t>& bytes, pe::Image& image, std::string& problem) {
    return pe::ReadImage(bytes.data(), bytes.size(), image, problem);
}

TestImageSpec TwoDlls(bool is64) {
    TestImageSpec spec;
    spec.is64 = is64;
    spec.machine = is64 ? pe::kMachineAmd64 : pe::kMachineI386;
    spec.osMajor = is64 ? 5 : 4;
    spec.osMinor = is64 ? 2 : 0;
    spec.subsystemMajor = 6;
    spec.subsystemMinor = 1;
    spec.imports = {{"KERNEL32.dll", {"GetTickCount", "HeapAlloc"}}, {"COMCTL32.dll", {"#17"}}};
    return spec;
}

TEST(PeImage, ReadsHeadersAndImportsOfBothWidths) {
    for (bool is64 : {false, true}) {
        SCOPED_TRACE(is64 ? "PE32+" : "PE32");
        pe::Image image;
        std::string problem;
        ASSERT_TRUE(Read(BuildTestImage(TwoDlls(is64)), image, problem)) << problem;
        EXPECT_EQ(image.is64, is64);
        EXPECT_EQ(image.machine, is64 ? pe::kMachineAmd64 : pe::kMachineI386);
        EXPECT_EQ(image.osMajor, is64 ? 5 : 4);
        EXPECT_EQ(image.osMinor, is64 ? 2 : 0);
        EXPECT_EQ(image.subsystemMajor, 6);
        EXPECT_EQ(image.subsystemMinor, 1);
        EXPECT_FALSE(image.hasDebugDirectory);
        ASSERT_EQ(image.imports.size(), 3u);
        EXPECT_EQ(image.imports[0].dll, "KERNEL32.dll");
        EXPECT_EQ(image.imports[0].function, "GetTickCount");
        EXPECT_EQ(image.imports[1].function, "HeapAlloc");
        EXPECT_EQ(image.imports[2].dll, "COMCTL32.dll");
        EXPECT_TRUE(image.imports[2].byOrdinal);
        EXPECT_EQ(image.imports[2].ordinal, 17);
        EXPECT_EQ(image.imports[2].function, "");
    }
}

TEST(PeImage, ResolvesLongSectionNamesAndSeesTheDebugDirectory) {
    TestImageSpec spec = TwoDlls(false);
    spec.extraSections = {".text", ".debug_info", ".debug_line"};
    spec.debugDirectory = true;
    pe::Image image;
    std::string problem;
    ASSERT_TRUE(Read(BuildTestImage(spec), image, problem)) << problem;
    EXPECT_EQ(image.sections, (std::vector<std::string>{".idata", ".text", ".debug_info", ".debug_line"}));
    EXPECT_TRUE(image.hasDebugDirectory);
}

TEST(PeImage, AProgramWithoutImportsHasNone) {
    TestImageSpec spec;
    pe::Image image;
    std::string problem;
    ASSERT_TRUE(Read(BuildTestImage(spec), image, problem)) << problem;
    EXPECT_TRUE(image.imports.empty());
}

TEST(PeImage, RefusesFilesThatAreNotPePrograms) {
    pe::Image image;
    std::string problem;
    EXPECT_FALSE(Read({}, image, problem));
    EXPECT_EQ(problem, "no MZ header");
    std::vector<std::uint8_t> bytes = BuildTestImage(TwoDlls(false));
    bytes[0x40] = 'N';
    EXPECT_FALSE(Read(bytes, image, problem));
    EXPECT_EQ(problem, "no PE signature");
}

// Every shorter prefix of a good file is either refused or read without
// going past its end (the sanitizer builds catch a read past it).
TEST(PeImage, EveryTruncationIsRefusedOrReadInBounds) {
    for (bool is64 : {false, true}) {
        TestImageSpec spec = TwoDlls(is64);
        spec.extraSections = {".debug_info"};
        const std::vector<std::uint8_t> whole = BuildTestImage(spec);
        int refused = 0;
        for (std::size_t length = 0; length < whole.size(); ++length) {
            std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            pe::Image image;
            std::string problem;
            if (!Read(cut, image, problem)) {
                ++refused;
                EXPECT_FALSE(problem.empty()) << length;
            }
        }
        // The import data and the string table sit at the end: every cut
        // before the last byte loses part of them.
        EXPECT_EQ(refused, static_cast<int>(whole.size()));
    }
}

TEST(PeImage, RefusesImportTablesPointingOutsideTheFile) {
    const TestImageSpec spec = TwoDlls(false);
    const TestImageLayout layout = LayoutOf(spec);
    pe::Image image;
    std::string problem;

    std::vector<std::uint8_t> bytes = BuildTestImage(spec);
    bytes[layout.importSection + 12 + 3] = 0x7F;  // the first DLL name's RVA
    EXPECT_FALSE(Read(bytes, image, problem));
    EXPECT_EQ(problem, "import name outside the file");

    bytes = BuildTestImage(spec);
    bytes[layout.importSection + 3] = 0x7F;  // the first lookup table's RVA
    EXPECT_FALSE(Read(bytes, image, problem));
    EXPECT_EQ(problem, "import lookup table outside the file");
}

TEST(PeImage, RefusesAnUnterminatedLongSectionName) {
    TestImageSpec spec = TwoDlls(false);
    spec.extraSections = {".debug_abbrev"};
    std::vector<std::uint8_t> bytes = BuildTestImage(spec);
    bytes.pop_back();  // the name's terminating zero
    pe::Image image;
    std::string problem;
    EXPECT_FALSE(Read(bytes, image, problem));
    EXPECT_EQ(problem, "unterminated long section name");
}

}  // namespace
