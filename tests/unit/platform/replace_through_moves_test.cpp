// Replacing a file where the system may lack the one-step replacing move
// (Windows 95/98): at no point are both the old and the new file lost.

#include "platform/complete_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// A folder of named contents; each kind of move can be made to fail.
class FakeFolder : public FileMoves {
public:
    std::map<std::string, std::string> files;
    ReplacingMove replacing = ReplacingMove::NotSupported;
    int failMoveNumber = 0;  // the plain move that fails, 1-based; 0 none
    int moves = 0;

    ReplacingMove MoveReplacing(const char* from, const char* to) override {
        if (replacing == ReplacingMove::Done) {
            files[to] = files[from];
            files.erase(from);
        }
        return replacing;
    }
    bool Move(const char* from, const char* to) override {
        ++moves;
        if (moves == failMoveNumber || files.count(to) != 0 || files.count(from) == 0) return false;
        files[to] = files[from];
        files.erase(from);
        return true;
    }
    bool Remove(const char* path) override { return files.erase(path) != 0; }
};

struct Case {
    const char* name;
    ReplacingMove replacing;
    bool oldFileThere;
    int failMoveNumber;
    bool replaced;
    std::map<std::string, std::string> after;
};

TEST(ReplaceThroughMoves, NeverLosesBothFiles) {
    const Case cases[] = {
        {"one-step move", ReplacingMove::Done, true, 0, true, {{"fw.bin", "new"}}},
        {"one-step move fails", ReplacingMove::Failed, true, 0, false, {{"fw.bin", "old"}, {"fw.tmp", "new"}}},
        {"no old file", ReplacingMove::NotSupported, false, 0, true, {{"fw.bin", "new"}}},
        {"moved aside and removed", ReplacingMove::NotSupported, true, 0, true, {{"fw.bin", "new"}}},
        // Move 1 is the plain move (fails: the name is taken), 2 the move aside.
        {"old file cannot move aside", ReplacingMove::NotSupported, true, 2, false,
         {{"fw.bin", "old"}, {"fw.tmp", "new"}}},
        {"new file cannot take the name: the old one comes back", ReplacingMove::NotSupported, true, 3, false,
         {{"fw.bin", "old"}, {"fw.tmp", "new"}}},
    };
    for (const Case& c : cases) {
        FakeFolder folder;
        folder.replacing = c.replacing;
        folder.failMoveNumber = c.failMoveNumber;
        folder.files["fw.tmp"] = "new";
        if (c.oldFileThere) folder.files["fw.bin"] = "old";
        EXPECT_EQ(ReplaceThroughMoves(folder, "fw.tmp", "fw.bin"), c.replaced) << c.name;
        EXPECT_EQ(folder.files, c.after) << c.name;
    }
}

}  // namespace
