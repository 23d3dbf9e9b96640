// Writing a complete file: the name changes only when every write, the
// flush and the close succeeded; a temporary file never stays behind.

#include "platform/complete_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "scratch_path.h"

namespace {

namespace fs = std::filesystem;

class CompleteFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A folder of this process: the other builds' tests run beside it.
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder_ = ScratchPath(std::string("complete_") + test);
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
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    // The names in the folder: the target and nothing else.
    std::size_t FilesInFolder() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
    const std::uint8_t data_[4] = {'d', 'a', 't', 'a'};
};

TEST_F(CompleteFileTest, TakesTheNameAsAskedAndLeavesNoTemporaryFile) {
    struct Case {
        const char* name;
        ExistingTarget existing;
        const char* before;  // nullptr: no file of that name
        CompleteFileOutcome outcome;
        const char* after;
    };
    const Case cases[] = {
        {"replace, none there", ExistingTarget::Replace, nullptr, CompleteFileOutcome::Written, "data"},
        {"replace, one there", ExistingTarget::Replace, "old contents", CompleteFileOutcome::Written, "data"},
        {"keep, none there", ExistingTarget::Keep, nullptr, CompleteFileOutcome::Written, "data"},
        {"keep, one there", ExistingTarget::Keep, "another program's", CompleteFileOutcome::NameTaken,
         "another program's"},
    };
    for (const Case& c : cases) {
        const std::string target = Path("fw.bin");
        fs::remove(target);
        if (c.before != nullptr) Write(target, c.before);
        int error = -1;
        EXPECT_EQ(WriteCompleteFile(target.c_str(), data_, sizeof data_, c.existing, TargetLinks::Followed, 0, error), c.outcome) << c.name;
        EXPECT_EQ(Read(target), c.after) << c.name;
        EXPECT_EQ(FilesInFolder(), 1u) << c.name;
    }
}

TEST_F(CompleteFileTest, AFailedWriteLeavesTheFolderAsItWas) {
    int error = 0;
    EXPECT_EQ(WriteCompleteFile(Path("missing/fw.bin").c_str(), data_, sizeof data_, ExistingTarget::Replace, TargetLinks::Followed, 0, error),
              CompleteFileOutcome::Failed);
    EXPECT_NE(error, 0);
    // Nothing to write is no file either.
    EXPECT_EQ(WriteCompleteFile(Path("empty.bin").c_str(), data_, 0, ExistingTarget::Replace, TargetLinks::Followed, 0, error),
              CompleteFileOutcome::Failed);
    const std::string tooLong = Path("") + std::string(kLongestFileName, 'n');
    EXPECT_EQ(WriteCompleteFile(tooLong.c_str(), data_, sizeof data_, ExistingTarget::Replace, TargetLinks::Followed, 0, error),
              CompleteFileOutcome::NameTooLong);
    EXPECT_EQ(FilesInFolder(), 0u);
}

// A link at the name: followed, the file it leads to gets the data and the
// link stays; not followed, the link is the file of that name, and what it
// leads to is never written (dangling or not).
TEST_F(CompleteFileTest, ALinkAtTheNameIsFollowedOnlyWhenAsked) {
    struct Case {
        const char* name;
        ExistingTarget existing;
        TargetLinks links;
        bool leadsToAFile;
        CompleteFileOutcome outcome;
        const char* linkedFileAfter;  // nullptr: there is none
        bool linkStays;
    };
    const Case cases[] = {
        {"followed, replace", ExistingTarget::Replace, TargetLinks::Followed, true, CompleteFileOutcome::Written,
         "data", true},
        {"followed, keep, dangling", ExistingTarget::Keep, TargetLinks::Followed, false,
         CompleteFileOutcome::Written, "data", true},
        {"not followed, replace", ExistingTarget::Replace, TargetLinks::NotFollowed, true,
         CompleteFileOutcome::Written, "old", false},
        {"not followed, keep, dangling", ExistingTarget::Keep, TargetLinks::NotFollowed, false,
         CompleteFileOutcome::NameTaken, nullptr, true},
        {"not followed, keep", ExistingTarget::Keep, TargetLinks::NotFollowed, true,
         CompleteFileOutcome::NameTaken, "old", true},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        const std::string link = Path("fw.bin");
        const std::string linked = Path("elsewhere.bin");
        if (c.leadsToAFile) Write(linked, "old");
        std::error_code made;
        fs::create_symlink(linked, link, made);
        if (made) GTEST_SKIP() << "this system makes no symbolic link here: " << made.message();
        int error = -1;
        EXPECT_EQ(WriteCompleteFile(link.c_str(), data_, sizeof data_, c.existing, c.links, 0, error), c.outcome)
            << c.name;
        if (c.linkedFileAfter == nullptr) {
            EXPECT_FALSE(fs::exists(linked)) << c.name;
        } else {
            EXPECT_EQ(Read(linked), c.linkedFileAfter) << c.name;
        }
        EXPECT_EQ(fs::is_symlink(link), c.linkStays) << c.name;
        if (!c.linkStays) {
            EXPECT_EQ(Read(link), "data") << c.name;
        }
    }
}

}  // namespace
