#include "combine_package.h"


#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>

#include <csignal>
#endif

#include "combine_test_files.h"
#include "firmware/firmware_package.h"
#include "platform/complete_file.h"
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

TEST_F(CombinePackageTest, ReplacesAnExistingOutputOnlyWhenAsked) {
    dir.Write("out.exe", {1, 2, 3});
    const ToolOutcome kept = CombinePackage(Request());
    EXPECT_FALSE(kept.ok);
    EXPECT_NE(kept.error.find("out.exe: already exists; give --force to replace it"), std::string::npos)
        << kept.error;
    EXPECT_EQ(dir.Read("out.exe"), (std::vector<std::uint8_t>{1, 2, 3}));

    CombineRequest forced = Request();
    forced.replaceOutput = true;
    ASSERT_TRUE(CombinePackage(forced).ok);
    EXPECT_EQ(dir.Read("out.exe").size(), TemplateProgram().size());
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"image.bin", "out.exe", "template.exe"}));
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
        request.replaceOutput = true;  // each problem, not the existing output, is refused
        refusal.arrange(fresh, request);
        const auto entriesBefore = fresh.Entries();
        const bool outputReadable = outputExists && std::filesystem::is_regular_file(request.outputPath);
        const std::vector<std::uint8_t> outputBefore = outputReadable ? fresh.Read("out.exe") : previous;

        const ToolOutcome outcome = CombinePackage(request);
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.error.find(refusal.expectedText), std::string::npos) << outcome.error;
        EXPECT_EQ(outcome.error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(outcome.error.rfind("ktxcombine: ", 0), 0u) << outcome.error;
        EXPECT_EQ(fresh.Entries(), entriesBefore);
        if (outputReadable) {
            EXPECT_EQ(fresh.Read("out.exe"), outputBefore);
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
                        first.outputPath = d.Path("combined.exe");
                        if (!CombinePackage(first).ok) throw std::runtime_error("setup combine failed");
                        std::filesystem::rename(d.Path("combined.exe"), d.Path("template.exe"));
                    }},
        // The anchor (ktxcombine itself holds it), then neither the marker
        // nor a combined header: one case for each byte the shape fixes.
        RefusalCase{"AnchorWithoutAPackage", "template.exe: no firmware package (neither",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        auto program = TemplateProgram();
                        std::fill_n(program.begin() + FirstPackageOffset(), kHeaderSize, 0x10);
                        d.Write("template.exe", program);
                    }},
        RefusalCase{"AnchorNearTheEndWithoutAHeader", "template.exe: no firmware package (neither",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        auto program = TemplateProgram();
                        program.resize(FirstPackageOffset() + 100);
                        std::fill_n(program.begin() + FirstPackageOffset(), 100, 0x90);
                        d.Write("template.exe", program);
                    }},
        RefusalCase{"HeaderWithASumThatIsNoHexText", "template.exe: no firmware package (neither",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        auto program = TemplateProgram();
                        const char header[] = "P1.3\0" "0E8G";
                        std::fill_n(program.begin() + FirstPackageOffset(), kHeaderSize, 0);
                        std::copy(header, header + sizeof header - 1, program.begin() + FirstPackageOffset());
                        d.Write("template.exe", program);
                    }},
        RefusalCase{"HeaderWithAByteWhereZerosBelong", "template.exe: no firmware package (neither",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        auto program = TemplateProgram();
                        std::uint8_t* block = program.data() + FirstPackageOffset();
                        WriteCombinedHeader(block, "P1.3", 0x0E89, 0x0F);
                        block[31] = 1;
                        d.Write("template.exe", program);
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
        RefusalCase{"MaskAbove0xFF", "mask 0x100 for revision tag \"P1.3\": above 0xFF",
                    [](const ScratchDirectory&, CombineRequest& r) { r.mask = 0x100; }},
        RefusalCase{"MaskBitsAboveBit3", "mask 0xF0 for revision tag \"P1.3\": has bits above bit 3",
                    [](const ScratchDirectory&, CombineRequest& r) { r.mask = 0xF0; }},
        RefusalCase{"MaskBeyondTheTag", "mask 0x0E for revision tag \"P1\": selects characters beyond",
                    [](const ScratchDirectory&, CombineRequest& r) {
                        r.revisionTag = "P1";
                        r.mask = 0x0E;
                    }},
        RefusalCase{"MaskWithAnEmptyTag", "mask 0x08 for revision tag \"\": selects characters beyond",
                    [](const ScratchDirectory&, CombineRequest& r) {
                        r.revisionTag = "";
                        r.mask = 0x08;
                    }},
        RefusalCase{"OutputIsTheTemplate", "template.exe: is the template",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.outputPath = d.Path("template.exe"); }},
        RefusalCase{"OutputExistsWithoutForce", "out.exe: already exists; give --force",
                    [](const ScratchDirectory& d, CombineRequest& r) {
                        if (!std::filesystem::exists(r.outputPath)) d.Write("out.exe", {'x'});
                        r.replaceOutput = false;
                    }},
        RefusalCase{"TemplateIsADirectory", "template.exe: not a regular file",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        std::filesystem::remove(d.Path("template.exe"));
                        std::filesystem::create_directory(d.Path("template.exe"));
                    }},
        RefusalCase{"TemplateAboveTheLimit", "template is 67108865 bytes; more than the 67108864",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        std::filesystem::resize_file(d.Path("template.exe"), kTemplateSizeLimit + 1);
                    }},
        RefusalCase{"OutputIsTheImage", "image.bin: is the firmware image",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.outputPath = d.Path("image.bin"); }},
        RefusalCase{"OutputIsTheImageByAnotherPath", "is the firmware image",
                    [](const ScratchDirectory& d, CombineRequest& r) {
                        std::filesystem::create_directory(d.Path("sub"));
                        r.outputPath = d.Path("sub/../image.bin");
                    }},
        RefusalCase{"TemplateMissing", "missing.exe: cannot read",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.templatePath = d.Path("missing.exe"); }},
        RefusalCase{"ImageMissing", "missing.bin: cannot read",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.imagePath = d.Path("missing.bin"); }},
        RefusalCase{"OutputDirectoryMissing", "out.exe: cannot write",
                    [](const ScratchDirectory& d, CombineRequest& r) { r.outputPath = d.Path("no-such-dir/out.exe"); }},
        RefusalCase{"OutputIsADirectory", "out.exe: not a regular file",
                    [](const ScratchDirectory& d, CombineRequest& r) {
                        std::filesystem::remove(d.Path("out.exe"));
                        std::filesystem::create_directory(d.Path("out.exe"));
                        r.outputPath = d.Path("out.exe");
                    }}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

#ifndef _WIN32
// Puts a FIFO where the scratch file `name` was.
void ReplaceWithFifo(const ScratchDirectory& d, const char* name) {
    std::filesystem::remove(d.Path(name));
    ASSERT_EQ(mkfifo(d.Path(name).c_str(), 0600), 0);
}

// FIFOs, devices and links, as POSIX systems have them. A FIFO read as an
// image would block the tool for good; replaced as the output, the pipe
// would be gone.
INSTANTIATE_TEST_SUITE_P(
    FilesOtherThanRegular, CombineRefusalTest,
    ::testing::Values(
        RefusalCase{"TemplateIsAFifo", "template.exe: not a regular file",
                    [](const ScratchDirectory& d, CombineRequest&) { ReplaceWithFifo(d, "template.exe"); }},
        RefusalCase{"ImageIsAFifo", "image.bin: not a regular file",
                    [](const ScratchDirectory& d, CombineRequest&) { ReplaceWithFifo(d, "image.bin"); }},
        RefusalCase{"ImageIsADevice", "/dev/zero: not a regular file",
                    [](const ScratchDirectory&, CombineRequest& r) { r.imagePath = "/dev/zero"; }},
        RefusalCase{"OutputIsAFifo", "out.exe: not a regular file",
                    [](const ScratchDirectory& d, CombineRequest&) { ReplaceWithFifo(d, "out.exe"); }},
        RefusalCase{"OutputIsAHardLinkToTheImage", "out.exe: is the firmware image",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        std::filesystem::remove(d.Path("out.exe"));
                        std::filesystem::create_hard_link(d.Path("image.bin"), d.Path("out.exe"));
                    }},
        RefusalCase{"OutputIsASymlinkToTheImage", "out.exe: is the firmware image",
                    [](const ScratchDirectory& d, CombineRequest&) {
                        std::filesystem::remove(d.Path("out.exe"));
                        std::filesystem::create_symlink("image.bin", d.Path("out.exe"));
                    }}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// Bytes this process has read through system calls so far.
std::uint64_t BytesReadByThisProcess() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") return value;
    }
    return 0;
}

TEST_F(CombinePackageTest, RefusesALargeImageFromItsSizeWithoutReadingIt) {
    if (!std::filesystem::exists("/proc/self/io")) GTEST_SKIP() << "no /proc/self/io";
    std::filesystem::resize_file(dir.Path("image.bin"), 300u * 1024u * 1024u);  // sparse
    const std::uint64_t before = BytesReadByThisProcess();
    const ToolOutcome outcome = CombinePackage(Request());
    const std::uint64_t read = BytesReadByThisProcess() - before;
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.error.find("image is 314572800 bytes"), std::string::npos) << outcome.error;
    // The template is read whole; of the image not a byte is needed.
    EXPECT_LT(read, TemplateProgram().size() + 65536) << "bytes read";
}

TEST_F(CombinePackageTest, WritesThroughAnOutputSymlinkAndKeepsTheLink) {
    namespace fs = std::filesystem;
    dir.Write("real.exe", {1, 2, 3});
    fs::create_symlink("real.exe", dir.Path("out.exe"));
    fs::create_symlink("later.exe", dir.Path("dangling.exe"));

    CombineRequest throughLink = Request();
    throughLink.replaceOutput = true;
    ASSERT_TRUE(CombinePackage(throughLink).ok);
    ASSERT_TRUE(CombinePackage(Request("dangling.exe")).ok);  // creates later.exe: nothing replaced

    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.Path("out.exe"))));
    EXPECT_EQ(fs::read_symlink(dir.Path("out.exe")), fs::path("real.exe"));
    EXPECT_EQ(dir.Read("real.exe").size(), TemplateProgram().size());
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.Path("dangling.exe"))));
    EXPECT_EQ(dir.Read("later.exe"), dir.Read("real.exe"));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"dangling.exe", "image.bin", "later.exe", "out.exe",
                                                       "real.exe", "template.exe"}));
}

// File names are shown as typed, control characters alone escaped: a
// Windows path keeps its backslashes.
TEST_F(CombinePackageTest, FileNamesInMessagesAreShownAsTyped) {
    CombineRequest request = Request();
    request.templatePath = dir.Path("bad\nname\x1b[31m.exe");
    const ToolOutcome missing = CombinePackage(request);
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("bad\\x0Aname\\x1B[31m.exe: cannot read"), std::string::npos) << missing.error;
    EXPECT_EQ(missing.error.find('\n'), std::string::npos);
    EXPECT_EQ(missing.error.find('\x1b'), std::string::npos);

    const ToolOutcome written = CombinePackage(Request("new\rname.exe"));
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_NE(written.output.find("new\\x0Dname.exe"), std::string::npos) << written.output;
    EXPECT_EQ(written.output.find('\r'), std::string::npos);

    request.templatePath = "x64\\ktxflash.exe";
    EXPECT_EQ(CombinePackage(request).error, "ktxcombine: x64\\ktxflash.exe: cannot read: No such file or directory");
}

// Ctrl+C or a kill while the output is being written: the half-written
// temporary file goes with the program; once the write is over, the
// handler leaves files alone.
TEST(CombineInterruption, RemovesTheTemporaryFileAndEndsByTheSignal) {
    // The child is a fork of this process: it arms the guard on this
    // test's file (a re-executed child would make a scratch folder of its own).
    GTEST_FLAG_SET(death_test_style, "fast");
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        ScratchDirectory dir;
        dir.Write("out.exe.ktxcombine-part", {1, 2, 3});
        const std::string partial = dir.Path("out.exe.ktxcombine-part");
        EXPECT_EXIT(
            {
                TemporaryFileGuard guard(partial.c_str());
                std::raise(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "");
        EXPECT_FALSE(std::filesystem::exists(partial)) << "signal " << signalNumber;

        // Interrupted while the file is open for writing.
        dir.Write("open.part", {1, 2, 3});
        const std::string open = dir.Path("open.part");
        EXPECT_EXIT(
            {
                TemporaryFileGuard guard(open.c_str());
                guard.SetOpenFile(::open(open.c_str(), O_WRONLY));
                std::raise(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "");
        EXPECT_FALSE(std::filesystem::exists(open)) << "signal " << signalNumber;

        dir.Write("kept.exe", {1});
        EXPECT_EXIT(
            {
                { TemporaryFileGuard guard(dir.Path("kept.exe").c_str()); }
                std::raise(signalNumber);
            },
            ::testing::KilledBySignal(signalNumber), "");
        EXPECT_TRUE(std::filesystem::exists(dir.Path("kept.exe"))) << "signal " << signalNumber;
    }
}
#endif
