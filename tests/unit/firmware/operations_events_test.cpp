// What the operations tell their port, whatever face it has: transfers
// announced around exactly their commands on every way out, a problem of
// the system before the status it caused, questions that name themselves
// and suggest No.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "combine_test_files.h"
#include "firmware/firmware_readout.h"
#include "firmware/upgrade_procedure.h"
#include "ops_fixture.h"
#include "recording_port.h"

namespace {

class OperationsEvents : public OpsTest {
public:
    FirmwareContext Recorded() { return FirmwareContext{recorded, system, &files, memory, transport, &package, mask}; }
    void Upgrade() { RunUpgradeCommand(gui, Recorded(), state); }
    void Save() {
        state.firmwarePath.Assign(Saved().c_str());
        RunSaveCommand(gui, Recorded(), state);
    }
    std::string Saved() { return scratch.Path("fw.bin"); }
    int Count(const std::string& event) const {
        return static_cast<int>(std::count(recorded.events.begin(), recorded.events.end(), event));
    }
    // The first (or last) event that starts with `prefix`; -1 when none does.
    int First(const std::string& prefix) const {
        for (int i = 0; i < static_cast<int>(recorded.events.size()); ++i)
            if (recorded.events[i].rfind(prefix, 0) == 0) return i;
        return -1;
    }
    int Last(const std::string& prefix) const {
        for (int i = static_cast<int>(recorded.events.size()) - 1; i >= 0; --i)
            if (recorded.events[i].rfind(prefix, 0) == 0) return i;
        return -1;
    }

    void ExpectProblemJustBefore(const std::string& status) const {
        const int problem = First("Problem(");
        ASSERT_GE(problem, 0);
        EXPECT_EQ(recorded.events[problem], "Problem(/dev/sg0: busy)");
        EXPECT_EQ(Count(recorded.events[problem]), 1);
        ASSERT_LT(problem + 1, static_cast<int>(recorded.events.size()));
        EXPECT_EQ(recorded.events[problem + 1], status);
    }

    RecordingPort recorded;
    ScratchDirectory scratch;
};

struct TransferCase {
    const char* run;
    std::function<void(OperationsEvents&)> arrange;
    bool upgrade;    // else a save
    int transfers;   // 0: the run ends before any transfer
    bool failsInIt;  // the transfer's own error text is the last status
};

class TransferAnnouncements : public OperationsEvents, public ::testing::WithParamInterface<TransferCase> {};

TEST_P(TransferAnnouncements, WrapExactlyTheTransferOnEveryWayOut) {
    const TransferCase& c = GetParam();
    c.arrange(*this);
    if (c.upgrade)
        Upgrade();
    else
        Save();
    const std::string begins = c.upgrade ? "DownloadBegins" : "ReadOutBegins";
    const std::string ends = c.upgrade ? "DownloadEnds" : "ReadOutEnds";
    EXPECT_EQ(Count(begins), c.transfers);
    EXPECT_EQ(Count(ends) + Count(ends + "(failed)"), c.transfers);
    EXPECT_EQ(Count(ends + "(failed)"), c.failsInIt ? 1 : 0) << "the end says whether the transfer did its work";
    EXPECT_EQ(Count(c.upgrade ? "ReadOutBegins" : "DownloadBegins"), 0);
    if (c.transfers == 0) {
        EXPECT_EQ(First("Progress("), -1);
        return;
    }
    // Every progress step lies between the two; the closing status comes
    // after the end, unless the transfer's own error is that status.
    EXPECT_LT(First(begins), First("Progress("));
    EXPECT_LT(Last("Progress("), First(ends));
    EXPECT_EQ(Last("Status(") < First(ends), c.failsInIt) << recorded.events[Last("Status(")];
}

using E = OperationsEvents;
INSTANTIATE_TEST_SUITE_P(
    Table, TransferAnnouncements,
    ::testing::Values(
        TransferCase{"upgrade", [](E&) {}, true, 1, false},
        TransferCase{"upgrade_block_refused", [](E& e) { e.transport.downloadResults = {1, 0, 0, 0, 0, 0}; }, true, 1,
                     true},
        TransferCase{"upgrade_no_to_the_last_question",
                     [](E& e) { e.recorded.answers = {Answer::Yes, Answer::No}; }, true, 0, false},
        TransferCase{"upgrade_drive_not_opened", [](E& e) { e.transport.openResult = 0; }, true, 0, false},
        TransferCase{"save", [](E&) {}, false, 1, false},
        TransferCase{"save_block_unread", [](E& e) { e.transport.readResults = {1, 0, 0, 0, 0, 0}; }, false, 1, true},
        TransferCase{"save_drive_not_opened", [](E& e) { e.transport.openResult = 0; }, false, 0, false}),
    [](const ::testing::TestParamInfo<TransferCase>& info) { return std::string(info.param.run); });

// The drive cannot be opened and the system said why.
TEST_F(OperationsEvents, AProblemOfTheSystemComesJustBeforeTheUpgradesStatus) {
    transport.openResult = 0;
    transport.systemProblem = "/dev/sg0: busy";
    Upgrade();
    ExpectProblemJustBefore("Status(Open Device (0 1)TAVRINE KTX7724R05       Failed!!)");
}

TEST_F(OperationsEvents, AProblemOfTheSystemComesJustBeforeTheSavesStatus) {
    transport.openResult = 0;
    transport.systemProblem = "/dev/sg0: busy";
    Save();
    ExpectProblemJustBefore("Status(Open Device (0 1)TAVRINE KTX7724R05       Failed!!)");
}

TEST_F(OperationsEvents, QuestionsNameThemselvesAndSuggestNo) {
    gui.strings[3] = "the warning";
    Upgrade();
    EXPECT_EQ(First("Ask("), First("Ask(UpgradeWarning,the warning,suggests No)"));
    EXPECT_GE(First("Ask(FlashingStart,Flashing Start!\nPLEASE DON'T TURN OFF THE POWER!,suggests No)"), 0);

    // Without the warning's text nothing is asked (exit I).
    recorded.events.clear();
    gui.strings.erase(3);
    Upgrade();
    EXPECT_EQ(First("Ask("), -1);
    EXPECT_EQ(recorded.events[Last("Status(")], "Status(Load String Error!!)");

    // A file that holds data: only a Yes empties it; no answer at all keeps it.
    scratch.Write("fw.bin", {9});
    recorded.events.clear();
    recorded.answers = {Answer::NoAnswer};
    Save();
    EXPECT_GE(First("Ask(OverwriteFile,File " + Saved() + " Exist, Overwrite ?,suggests No)"), 0);
    EXPECT_EQ(recorded.events[Last("Status(")], "Status(File " + Saved() + " Exist, User cancel ...)");
    EXPECT_EQ(scratch.Read("fw.bin"), std::vector<std::uint8_t>{9});
}

}  // namespace

// Each check is told once as it ends, in the order the checks run; a
// failed one carries its text and ends the list.
struct CheckCase {
    const char* name;
    std::function<void(OperationsEvents&)> arrange;
    std::vector<std::string> checks;
};

class CheckReports : public OperationsEvents, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckReports, NameEachCheckAsItEnds) {
    GetParam().arrange(*this);
    Upgrade();
    EXPECT_EQ(recorded.checks, GetParam().checks);
}

using E = OperationsEvents;
INSTANTIATE_TEST_SUITE_P(
    Table, CheckReports,
    ::testing::Values(
        CheckCase{"AllPass", [](E&) {}, {"dvd-rom-only", "image-size", "revision", "image-sum"}},
        CheckCase{"OpenFails", [](E& e) { e.transport.openResult = 0; }, {}},
        CheckCase{"TypeUnknown", [](E& e) { e.transport.modeSenseResult = 0; },
                  {"dvd-rom-only failed: Can't recognize the drive type!!"}},
        CheckCase{"NotDvdRomOnly", [](E& e) { e.transport.dvdRomOnlyAfterModeSense = 0; },
                  {"dvd-rom-only failed: This F/W is only for DVD-ROM!"}},
        CheckCase{"ImageSize", [](E& e) { e.transport.imageSizeAfterOpen = 0x10000; },
                  {"dvd-rom-only", "image-size failed: the drive does not take an image of 131,072 bytes"}},
        CheckCase{"Revision", [](E& e) { e.mask = 0x0F; },
                  {"dvd-rom-only", "image-size", "revision failed: F/W Version Not Match"}},
        CheckCase{"Sum", [](E& e) { e.SetPackage(PackageBlock(e.image, "P1.3", 0x0E, 0x1234)); },
                  {"dvd-rom-only", "image-size", "revision", "image-sum failed: Check sum not match!! (0E89 / 1234)"}},
        // The memory for the image is no check of the drive: nothing after it is told.
        CheckCase{"NoMemory", [](E& e) { e.memory.failAt = 1; }, {"dvd-rom-only", "image-size"}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });
