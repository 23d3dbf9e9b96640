// The file services (the portable one everywhere, the Win32 one in the
// Windows builds) over real files, and the page-aligned working buffers.

#include <gtest/gtest.h>

#include <memory>

#include "combine_test_files.h"

#include "crt_file_service.h"

#include "platform/buffer_allocator.h"
#if defined(_WIN32)
#include "platform/win32/win32_services.h"
#endif

namespace {

template <typename Service>
class FileServiceTest : public ::testing::Test {
public:
    Service service;
    ScratchDirectory scratch;
};

#if defined(_WIN32)
using Services = ::testing::Types<CrtFileService, Win32FileService>;
#else
using Services = ::testing::Types<CrtFileService>;
#endif
TYPED_TEST_SUITE(FileServiceTest, Services);

TYPED_TEST(FileServiceTest, CreatesAMissingFileEmpty) {
    FileHandle file = this->service.OpenForWriteNoTruncate(this->scratch.Path("new.bin").c_str());
    ASSERT_NE(file, nullptr);
    std::uint64_t length = 99;
    EXPECT_TRUE(this->service.GetLength(file, length));
    EXPECT_EQ(length, 0u);
    this->service.Close(file);
    EXPECT_TRUE(this->scratch.Read("new.bin").empty());
}

TYPED_TEST(FileServiceTest, KeepsAnExistingFileUntilItIsCutThenWritesFromTheStart) {
    this->scratch.Write("old.bin", std::vector<std::uint8_t>(1000, 7));
    FileHandle file = this->service.OpenForWriteNoTruncate(this->scratch.Path("old.bin").c_str());
    ASSERT_NE(file, nullptr);
    std::uint64_t length = 0;
    EXPECT_TRUE(this->service.GetLength(file, length));
    EXPECT_EQ(length, 1000u);
    EXPECT_TRUE(this->service.SetLength(file, 0));
    const std::vector<std::uint8_t> data = {1, 2, 3, 4};
    EXPECT_TRUE(this->service.Write(file, data.data(), static_cast<std::uint32_t>(data.size())));
    this->service.Close(file);
    EXPECT_EQ(this->scratch.Read("old.bin"), data);
}

TYPED_TEST(FileServiceTest, AFileInAMissingFolderOrWithNoNameCannotBeOpened) {
    EXPECT_EQ(this->service.OpenForWriteNoTruncate(this->scratch.Path("no-such-folder/fw.bin").c_str()), nullptr);
    EXPECT_EQ(this->service.OpenForWriteNoTruncate(""), nullptr);
}

TEST(PageAlignedAllocator, BlocksStartOnAPageAndHoldTheirSize) {
    PageAlignedAllocator allocator;
    std::uint8_t* a = allocator.Allocate(0x20000);
    std::uint8_t* b = allocator.Allocate(0x20000);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % 4096, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % 4096, 0u);
    a[0x1FFFF] = 1;
    b[0] = 2;
    allocator.Release(a);
    allocator.Release(b);
    allocator.Release(nullptr);
}

}  // namespace
