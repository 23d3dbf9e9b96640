// The block download: commands, sums, attempts, progress, buttons and texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "firmware/block_download.h"
#include "ops_fixture.h"


namespace {

class BlockDownload : public OpsTest {
protected:
    void SetUp() override {
        ASSERT_EQ(transport.Open(state.devices.RecordAt(0)[0]), 1);
        working = image;
        gui.calls.clear();
    }
    // Refuses the next `times` attempts after `accepted` accepted ones.
    void Refuse(int accepted, int times) {
        for (int i = 0; i < accepted; ++i) transport.downloadResults.push_back(1);
        for (int i = 0; i < times; ++i) transport.downloadResults.push_back(0);
    }
    std::vector<int> BlockNumbers() const {
        std::vector<int> numbers;
        for (const auto& d : transport.downloads) numbers.push_back(d.blockNumber);
        return numbers;
    }

    // The working copy the download sends.
    std::vector<std::uint8_t> working;
};

TEST_F(BlockDownload, AllAcceptedSendsEightBlocksWithTheirSumsThenPausesAndFillsTheBar) {
    transport.duringCommand = [&] { EXPECT_FALSE(gui.enabled(kUpgradeButton)); };
    EXPECT_TRUE(RunBlockDownload(Context(), state, working.data()).succeeded);

    ASSERT_EQ(transport.downloads.size(), 8u);
    for (std::size_t n = 0; n < 8; ++n) {
        const auto& d = transport.downloads[n];
        EXPECT_EQ(d.blockNumber, n + 1);
        EXPECT_EQ(d.data, working.data() + n * kBlockSize);
        EXPECT_EQ(d.blockSum, byteSum16(image.data() + n * kBlockSize, kBlockSize));
        EXPECT_EQ(d.length, kBlockSize);
        EXPECT_EQ(d.imageSum, kSampleImageSum);
    }
    EXPECT_EQ(transport.downloads[0].blockSum, kSampleImageFirstBlockSum);
    EXPECT_EQ(gui.progressHistory, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 75, 100}));
    EXPECT_EQ(state.progress, 75) << "the final 100 goes to the bar alone";
    // The pause comes after the last block's 75 and before the 100.
    const auto& calls = gui.calls;
    const auto sleep = std::find(calls.begin(), calls.end(), "Sleep(200)");
    ASSERT_NE(sleep, calls.end());
    EXPECT_EQ(*(sleep - 1), "ProgressSetPos(1001,75)");
    EXPECT_EQ(*(sleep + 1), "ProgressSetPos(1001,100)");
    EXPECT_EQ(*(sleep + 2), "EnableItem(1010,1)");
    EXPECT_EQ(Count("Sleep(200)"), 1);
    EXPECT_EQ(gui.text(kStatusLine), "") << "the status line is not touched on success";
}

struct RefusalCase {
    const char* name;
    std::vector<std::pair<int, int>> refusals;  // (accepted before, refused) in order
    std::vector<int> blocks;                    // block numbers sent
    const char* failure;                        // null: success
};

class BlockDownloadRefusals : public BlockDownload, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(BlockDownloadRefusals, EachBlockHasFiveAttemptsOfItsOwn) {
    const RefusalCase& c = GetParam();
    for (const auto& r : c.refusals) Refuse(r.first, r.second);
    gui.at(kProgressBar).position = 100;  // what an earlier run left
    const DownloadEnd end = RunBlockDownload(Context(), state, working.data());

    EXPECT_EQ(BlockNumbers(), c.blocks);
    // One bar step per accepted block (and the final 100); none before the first.
    const std::size_t accepted = std::set<int>(c.blocks.begin(), c.blocks.end()).size() - (c.failure ? 1 : 0);
    EXPECT_EQ(gui.progressHistory.size(), accepted + (c.failure ? 0 : 1));
    EXPECT_EQ(Count("Sleep(200)"), c.failure ? 0 : 1) << "no pause between attempts";
    if (c.failure) {
        EXPECT_FALSE(end.succeeded);
        EXPECT_EQ(end.block, c.blocks.back()) << "the download names the block it gave up on";
        EXPECT_EQ(end.tries, 5);
        EXPECT_EQ(gui.text(kStatusLine), std::string("Error Happen in ID ") + c.failure +
                                             "\nPlease check whether your selected device is fit for the F/W !");
        EXPECT_FALSE(gui.enabled(kUpgradeButton)) << "left for the upgrade command to enable";
    } else {
        EXPECT_TRUE(end.succeeded);
        EXPECT_EQ(gui.at(kProgressBar).position, 100);
        EXPECT_TRUE(gui.enabled(kUpgradeButton));
    }
}

std::vector<int> Repeat(std::vector<int> head, int block, int times, std::vector<int> tail) {
    head.insert(head.end(), times, block);
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlockDownloadRefusals,
    ::testing::Values(
        RefusalCase{"Block3RefusedFourTimes", {{2, 4}}, Repeat({1, 2}, 3, 5, {4, 5, 6, 7, 8}), nullptr},
        RefusalCase{"Block1RefusedFiveTimes", {{0, 5}}, {1, 1, 1, 1, 1}, "1 OFFSET 0x0000"},
        RefusalCase{"Block5ShowsOffsetLow16Bits", {{4, 5}}, Repeat({1, 2, 3, 4}, 5, 5, {}), "5 OFFSET 0x0000"},
        RefusalCase{"Block8", {{7, 5}}, Repeat({1, 2, 3, 4, 5, 6, 7}, 8, 5, {}), "8 OFFSET 0xC000"},
        RefusalCase{"CountResetsAfterEachAcceptedBlock",
                    {{1, 4}, {1, 4}},
                    Repeat(Repeat({1}, 2, 5, {}), 3, 5, {4, 5, 6, 7, 8}),
                    nullptr}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A drive the transport found gone takes no further try: the same status
// text as after five refusals names the block, and the end says the drive
// went away after one try of it (the dialog's face adds nothing to its status).
TEST_F(BlockDownload, ADriveThatWentAwayGetsNoFurtherTry) {
    Refuse(2, 1);
    transport.goneOnRefusal = true;
    const DownloadEnd end = RunBlockDownload(Context(), state, working.data());
    EXPECT_FALSE(end.succeeded);
    EXPECT_TRUE(end.deviceGone);
    EXPECT_EQ(end.block, 3);
    EXPECT_EQ(end.tries, 1);
    EXPECT_EQ(BlockNumbers(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(gui.text(kStatusLine),
              "Error Happen in ID 3 OFFSET 0x8000\nPlease check whether your selected device is fit for the F/W !");
    EXPECT_EQ(gui.progressHistory, (std::vector<int>{12, 25}));
    EXPECT_EQ(Count("Sleep(200)"), 0);
}

TEST_F(BlockDownload, SumsWrapAt65536) {
    std::fill(working.begin(), working.end(), 0xFF);
    RunBlockDownload(Context(), state, working.data());
    ASSERT_FALSE(transport.downloads.empty());
    EXPECT_EQ(transport.downloads[0].blockSum, 0xC000);
    EXPECT_EQ(transport.downloads[0].imageSum, 0x0000);  // 131,072 x 0xFF = 0x1FE0000
}

// A PC that sleeps mid-flash leaves a half-written drive: the system is
// asked to stay awake before the first block and released after the last
// step, whichever way the download ends.
TEST_F(BlockDownload, KeepsTheSystemAwakeForTheWholeDownloadOnEveryEnd) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "block 1 refused five times" : "every block accepted");
        transport.downloads.clear();
        gui.calls.clear();
        if (refused) Refuse(0, 5);
        std::size_t awakeDuringCommands = 0;
        transport.duringCommand = [&] { awakeDuringCommands += system.keptAwake ? 1 : 0; };
        RunBlockDownload(Context(), state, working.data());
        EXPECT_EQ(awakeDuringCommands, transport.downloads.size());
        EXPECT_FALSE(system.keptAwake);
        EXPECT_EQ(Count("KeepSystemAwake(true)"), 1);
        EXPECT_EQ(Count("KeepSystemAwake(false)"), 1);
        if (!refused) {
            const auto released = std::find(gui.calls.begin(), gui.calls.end(), "KeepSystemAwake(false)");
            EXPECT_EQ(std::count(gui.calls.begin(), released, "Sleep(200)"), 1) << "the closing pause is covered";
        }
    }
}

}  // namespace
