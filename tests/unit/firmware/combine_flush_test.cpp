// ktxcombine puts the new file on disk before it takes the output's name:
// this program stands in for the system's fsync to see, at the moment of
// the flush, which file is flushed and whether the name still holds the old
// content.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "combine_package.h"
#include "combine_test_files.h"
#include "sample_image.h"

namespace {

struct Flush {
    off_t flushedSize;
    std::vector<std::uint8_t> outputThen;
};
std::vector<Flush> g_flushes;
const ScratchDirectory* g_dir = nullptr;
// Set: another program makes the output file while the new one is flushed.
const std::vector<std::uint8_t>* g_madeMeanwhile = nullptr;

CombineRequest Request(const ScratchDirectory& dir) {
    CombineRequest request;
    request.templatePath = dir.Path("template.exe");
    request.imagePath = dir.Path("image.bin");
    request.revisionTag = "P1.3";
    request.outputPath = dir.Path("out.exe");
    return request;
}

}  // namespace

extern "C" int fsync(int fd) {
    if (g_dir != nullptr) {
        struct stat st {};
        fstat(fd, &st);
        if (g_madeMeanwhile != nullptr) g_dir->Write("out.exe", *g_madeMeanwhile);
        g_flushes.push_back({st.st_size, g_dir->Read("out.exe")});
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

TEST(CombineFlush, TheNewFileIsOnDiskBeforeItReplacesTheOutput) {
    ScratchDirectory dir;
    dir.Write("template.exe", TemplateProgram());
    dir.Write("image.bin", MakeSampleImage());
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    dir.Write("out.exe", old);
    CombineRequest request = Request(dir);
    request.replaceOutput = true;

    g_flushes.clear();
    g_dir = &dir;
    const ToolOutcome outcome = CombinePackage(request);
    g_dir = nullptr;

    ASSERT_TRUE(outcome.ok) << outcome.error;
    ASSERT_EQ(g_flushes.size(), 1u);
    EXPECT_EQ(static_cast<std::size_t>(g_flushes[0].flushedSize), TemplateProgram().size()) << "all of it";
    EXPECT_EQ(g_flushes[0].outputThen, old) << "flushed before the rename";
    EXPECT_EQ(dir.Read("out.exe").size(), TemplateProgram().size());
}

// Without --force the output takes its name only while the name is free: a
// file another program makes there while the new one is written stays.
TEST(CombineFlush, AFileMadeWhileTheOutputIsWrittenIsNotReplaced) {
    ScratchDirectory dir;
    dir.Write("template.exe", TemplateProgram());
    dir.Write("image.bin", MakeSampleImage());
    const std::vector<std::uint8_t> theirs = {'t', 'h', 'e', 'i', 'r', 's'};

    g_dir = &dir;
    g_madeMeanwhile = &theirs;
    const ToolOutcome outcome = CombinePackage(Request(dir));
    g_madeMeanwhile = nullptr;
    g_dir = nullptr;

    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.error.find("out.exe: already exists; give --force"), std::string::npos) << outcome.error;
    EXPECT_EQ(dir.Read("out.exe"), theirs);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"image.bin", "out.exe", "template.exe"}));
}
