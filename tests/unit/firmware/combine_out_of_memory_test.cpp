// ktxcombine when the system has no memory to give: every allocation of
// 64 KiB or more fails in this program (the tool's file buffers are that
// large, GoogleTest's own allocations are not), and the tool must answer
// with a message and the refusal status instead of an abort.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "combine_test_files.h"
#include "command_line.h"
#include "sample_image.h"

namespace {
constexpr std::size_t kLargestGranted = 65536;
bool g_limitLargeAllocations = false;
}  // namespace

void* operator new(std::size_t size) {
    if (g_limitLargeAllocations && size >= kLargestGranted) throw std::bad_alloc();
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

TEST(CombineOutOfMemory, ReportsAMessageAndExitsRefused) {
    ScratchDirectory dir;
    dir.Write("template.exe", TemplateProgram());
    dir.Write("image.bin", MakeSampleImage());
    std::string out, err;
    g_limitLargeAllocations = true;
    const int status = RunCombineTool({dir.Path("template.exe"), dir.Path("image.bin"), "--revision", "P1.3",
                                       "--mask", "0", "--sum", "0E89", "-o", dir.Path("out.exe")},
                                      out, err);
    g_limitLargeAllocations = false;
    EXPECT_EQ(status, kExitRefused);
    EXPECT_EQ(err, "ktxcombine: out of memory\n");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"image.bin", "template.exe"}));
}
