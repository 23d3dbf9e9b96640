#include "combine_package.h"


#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "combine_test_files.h"

#include "firmware/package_layout.h"
#include "sample_image.h"


using namespace package_layout;

namespace {

class CombinePackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.Write("template.exe", TemplateProgram());
        dir.Write("image.bin", MakeSampleImage());
    }

    CombineRequest Request(const std::string& output = "out.exe") const {
        CombineRequest request;
        request.templatePath = dir.Path("template.exe");
        request.imagePath = dir.Path("image.bin");
        request.revisionTag = "P1.3";
        request.mask = 0x0F;
        request.outputPath = dir.Path(output);
        return request;
    }

    ScratchDirectory dir;
};

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return bytes;
}

}  // namespace

TEST_F(CombinePackageTest, WritesHeaderAndImageIntoACopyOfTheTemplate) {
    const ToolOutcome outcome = CombinePackage(Request());
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_NE(outcome.output.find("out.exe"), std::string::npos);

    const auto templateBytes = TemplateProgram();
    EXPECT_EQ(dir.Read("template.exe"), templateBytes) << "the template must stay as it was";
    const auto out = dir.Read("out.exe");
    ASSERT_EQ(out.size(), templateBytes.size());

    const std::size_t at = FirstPackageOffset();
    const std::vector<std::uint8_t> header(out.begin() + at, out.begin() + at + kHeaderSize);
    EXPECT_EQ(header, Bytes({'P', '1', '.', '3', 0, '0', 'E', '8', '9', 0, 0, 0, 0, 0, 0, 0,
                             0x0F, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const auto image = MakeSampleImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), out.begin() + at + kHeaderSize));
    // Everything outside the package area, the anchor included, is the template's.
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + at, templateBytes.begin()));
    EXPECT_TRUE(std::equal(out.begin() + at + kPackageSize, out.end(),
                           templateBytes.begin() + at + kPackageSize));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"image.bin", "out.exe", "template.exe"}));
}

TEST_F(CombinePackageTest, PadsAShortTagAndWritesTheSumOfTheGivenImage) {
    std::vector<std::uint8_t> allFF(kImageSize, 0xFF);
    allFF[0] = 0x0A;  // sum 0x0000 - 0xFF + 0x0A = 0xFF0B: checks zero-fill and upper case
    dir.Write("image.bin", allFF);
    CombineRequest request = Request();
    request.revisionTag = "P1";
    request.mask = 0;
    ASSERT_TRUE(CombinePackage(request).ok);

    const auto out = dir.Read("out.exe");
    const std::size_t at = FirstPackageOffset();
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + at, out.begin() + at + 17),
              Bytes({'P', '1', 0, 0, 0, 'F', 'F', '0', 'B', 0, 0, 0, 0, 0, 0, 0, 0}));

}

TEST_F(CombinePackageTest, ReplacesAnExistingOutputAndCanCombineInPlace) {
    dir.Write("out.exe", {1, 2, 3});
    ASSERT_TRUE(CombinePackage(Request()).ok);
    EXPECT_EQ(dir.Read("out.exe").size(), TemplateProgram().size());

    CombineRequest inPlace = Request("template.exe");
    ASSERT_TRUE(CombinePackage(inPlace).ok);
    EXPECT_EQ(dir.Read("template.exe"), dir.Read("out.exe"));
}

#ifndef _WIN32
TEST_F(CombinePackageTest, KeepsTheTemplatesExecutePermission) {
    namespace fs = std::filesystem;
    fs::permissions(dir.Path("template.exe"), fs::perms::owner_exec, fs::perm_options::add);
    ASSERT_TRUE(CombinePackage(Request()).ok);
    EXPECT_NE(fs::status(dir.Path("out.exe")).permissions() & fs::perms::owner_exec, fs::perms::none);
}
#endif

// Every refusal names the file or value at fault, leaves an existing output
// exactly as it was, creates none where there was none, and leaves no
// temporary file behind.
struct RefusalCase {
    const char* name;
    const char* expectedText;  // part of the one-line message
    void (*arrange)(const ScratchDirectory& dir, CombineRequest& request);
};

class CombineRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CombineRefusalTest, RefusesWithoutTouchingTheOutput) {
    const RefusalCase& refusal = GetParam();
    for (const bool outputExists : {false, true}) {
        SCOPED_TRACE(outputExists ? "output exists" : "no output yet");
        ScratchDirectory fresh;
        fresh.Write("template.exe", TemplateProgram());
        fresh.Write("image.bin", MakeSampleImage());
        const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
        if (outputExists) fresh.Write("out.exe", previous);

        CombineRequest request;
        request.templatePath = fresh.Path("template.exe");
        request.imagePath = fresh.Path("image.bin");
        request.revisionTag = "P1.3";
        request.mask = 0x0F;
        request.outputPath = fresh.Path("out.exe");
        refusal.arrange(fresh, request);
        const auto entriesBefore = fresh.Entries();

        const ToolOutcome outcome = CombinePackage(request);
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.error.find(refusal.expectedText), std::string::npos) << outcome.error;
        EXPECT_EQ(outcome.error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(outcome.error.rfind("ktxcombine: ", 0), 0u) << outcome.error;
        EXPECT_EQ(fresh.Entries(), entriesBefore);
        if (outputExists && !std::filesystem::is_directory(request.outputPath)) {
            EXPECT_EQ(fresh.Read("out.exe"), previous);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachProblem, CombineRefusalTest,
    ::testing::Values(
        RefusalCase{"NoPackageArea", "template.exe: no firmware package area",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        d.Write("template.exe", std::vector<std::uint8_t>(200000, 0x90));
                    }},
        RefusalCase{"TwoPackageAreas", "template.exe: 2 firmware package areas",
                    [](const ScratchDirectory& d, CombineRequest&) { d.Write("template.exe", TemplateProgram(2)); }},
        RefusalCase{"AreaCutShort", "template.exe: firmware package area is cut short",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        auto program = TemplateProgram();
                        program.resize(FirstPackageOffset() + kPackageSize - 1);
                        d.Write("template.exe", program);
                    }},
        RefusalCase{"AlreadyCombined", "template.exe: already combined (revision tag \"P1.3\")",
                    [](const ScratchDirectory& d, CombineRequest& r) {
                        CombineRequest first = r;
                        first.outputPath = d.Path("template.exe");
                        if (!CombinePackage(first).ok) throw std::runtime_error("setup combine failed");
                    }},
        RefusalCase{"ImageOneByteShort", "image.bin: image is 131071 bytes",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        d.Write("image.bin", std::vector<std::uint8_t>(kImageSize - 1, 0x11));
                    }},
        RefusalCase{"ImageOneByteLong", "image.bin: image is 131073 bytes",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        d.Write("image.bin", std::vector<std::uint8_t>(kImageSize + 1, 0x11));
                    }},
        RefusalCase{"ImageHoldsTheAnchor", "image.bin: image contains the package anchor",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        std::vector<std::uint8_t> image(kImageSize, 0x11);
                        constexpr auto anchor = Anchor();
                        std::copy(anchor.begin(), anchor.end(), image.begin() + 5000);
                        d.Write("image.bin", image);
                    }},
        RefusalCase{"TagTooLong", "revision tag \"P1.3X\": longer than 4 characters",
                    [](const ScratchDirectory&, CombineRequest& r) { r.revisionTag = "P1.3X"; }},
        RefusalCase{"TagNotPrintable", "revision tag \"P\\x01\": only printable ASCII",
                    [](const ScratchDirectory&, CombineRequest& r) { r.revisionTag = "P\x01"; }},
        RefusalCase{"MaskAbove0xFF", "mask 256: above 0xFF",
                    [](const ScratchDirectory&, CombineRequest& r) { r.mask = 0x100; }},
        RefusalCase{"TemplateMissing", "missing.exe: cannot read",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.templatePath = d.Path("missing.exe"); }},
        RefusalCase{"ImageMissing", "missing.bin: cannot read",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.imagePath = d.Path("missing.bin"); }},
        RefusalCase{"OutputDirectoryMissing", "out.exe: cannot write",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.outputPath = d.Path("no-such-dir/out.exe"); }},
        RefusalCase{"OutputIsADirectory", "out.exe: cannot write",
                    [](const ScratchDirectory& d, CombineRequest& r) {
                        std::filesystem::remove(d.Path("out.exe"));
                        std::filesystem::create_directory(d.Path("out.exe"));
                        r.outputPath = d.Path("out.exe");
                    }}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });
