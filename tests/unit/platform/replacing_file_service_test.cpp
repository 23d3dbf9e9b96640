// The save that is complete or nothing: the target changes only when a
// closed file had every write succeed; a partial file never stays behind.

#include "platform/file_replacement.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/display_text.h"
#include "scratch_path.h"

namespace {

namespace fs = std::filesystem;

class ReplacingFileServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of this process: the other builds' tests run beside it.
        folder_ = ScratchPath(std::string("replacing_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    fs::path folder_;
    const std::uint8_t data_[4] = {'d', 'a', 't', 'a'};
};

TEST_F(ReplacingFileServiceTest, ACompleteWriteReplacesTheTargetOnClose) {
    const std::string target = Path("fw.bin");
    Write(target, "old contents");
    ReplacingFileService files;
    FileHandle file = files.OpenForWriteNoTruncate(target.c_str());
    ASSERT_NE(file, nullptr);
    std::uint64_t length = 99;
    ASSERT_TRUE(files.GetLength(file, length));
    EXPECT_EQ(length, 0u);  // the new file, whatever the target holds
    EXPECT_TRUE(files.SetLength(file, 0));
    ASSERT_TRUE(files.Write(file, data_, sizeof data_));
    EXPECT_EQ(Read(target), "old contents");  // nothing changes before the close
    EXPECT_FALSE(files.SetLength(file, 0));   // no cutting what was written
    files.Close(file);
    EXPECT_TRUE(files.committed());
    EXPECT_EQ(Read(target), "data");
    EXPECT_FALSE(fs::exists(target + ".partial"));
}

TEST_F(ReplacingFileServiceTest, AClosedFileWithoutWritesLeavesNothing) {
    const std::string target = Path("fw.bin");
    ReplacingFileService files;
    FileHandle file = files.OpenForWriteNoTruncate(target.c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(fs::exists(target + ".partial"));
    files.Close(file);
    EXPECT_FALSE(files.committed());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target + ".partial"));
}

TEST_F(ReplacingFileServiceTest, AFileLeftOpenIsDiscardedWithTheService) {
    const std::string target = Path("fw.bin");
    {
        ReplacingFileService files;
        FileHandle file = files.OpenForWriteNoTruncate(target.c_str());
        ASSERT_TRUE(files.Write(file, data_, sizeof data_));
    }
    EXPECT_FALSE(fs::exists(target));
    EXPECT_FALSE(fs::exists(target + ".partial"));
}

TEST_F(ReplacingFileServiceTest, RefusesASecondFileAnExistingPartialFileAndForeignHandles) {
    const std::string target = Path("fw.bin");
    ReplacingFileService files;
    FileHandle file = files.OpenForWriteNoTruncate(target.c_str());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(files.OpenForWriteNoTruncate(Path("other.bin").c_str()), nullptr);
    int foreign = 0;
    EXPECT_FALSE(files.Write(&foreign, data_, sizeof data_));
    files.Close(&foreign);  // not ours: nothing happens
    EXPECT_TRUE(fs::exists(target + ".partial"));
    files.Close(file);

    // Another save's partial file is neither used nor removed.
    Write(target + ".partial", "another save");
    EXPECT_EQ(files.OpenForWriteNoTruncate(target.c_str()), nullptr);
    EXPECT_EQ(Read(target + ".partial"), "another save");
    EXPECT_EQ(files.OpenForWriteNoTruncate(""), nullptr);
    EXPECT_EQ(files.OpenForWriteNoTruncate(Path("missing/fw.bin").c_str()), nullptr);
}

// A file kept from replacement: the name is taken only while it is free,
// also when another program makes the file after the save began.
TEST_F(ReplacingFileServiceTest, AKeptTargetIsNeverReplacedEvenWhenItAppearsDuringTheSave) {
    const std::string target = Path("backup.bin");
    ReplacingFileService files(ExistingTarget::Keep);
    FileHandle file = files.OpenForWriteNoTruncate(target.c_str());
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(files.Write(file, data_, sizeof data_));
    Write(target, "another program's");
    files.Close(file);
    EXPECT_FALSE(files.committed());
    EXPECT_TRUE(files.targetExisted());
    EXPECT_EQ(Read(target), "another program's");
    EXPECT_FALSE(fs::exists(target + ".partial"));

    // A free name is taken as with replacement.
    const std::string fresh = Path("fresh.bin");
    file = files.OpenForWriteNoTruncate(fresh.c_str());
    ASSERT_TRUE(files.Write(file, data_, sizeof data_));
    files.Close(file);
    EXPECT_TRUE(files.committed());
    EXPECT_FALSE(files.targetExisted());
    EXPECT_EQ(Read(fresh), "data");
    EXPECT_FALSE(fs::exists(fresh + ".partial"));
}

TEST(DisplayText, ShowsPrintableAsciiAndEscapesEverythingElse) {
    MessageText text;
    AppendDisplayText(text, "P1.3 \"q\" \\ \x1b\x7f\xff", 14);
    EXPECT_STREQ(text.c_str(), "P1.3 \\x22q\\x22 \\x5C \\x1B\\x7F\\xFF");
    FixedText<6> small;
    AppendDisplayText(small, "\x01\x02");
    EXPECT_STREQ(small.c_str(), "\\x01");  // an escape whole or not at all
    EXPECT_TRUE(small.truncated());
}

}  // namespace
