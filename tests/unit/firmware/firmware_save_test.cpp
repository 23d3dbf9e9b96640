// Browse, save and the read-out loop against the scripted drive and real
// temporary files: every exit, the file's bytes, buttons and cleanup.

#include <gtest/gtest.h>

#include <functional>

#include "combine_test_files.h"


#include "firmware/firmware_readout.h"
#include "ops_fixture.h"


namespace {

// ---- browse

class Browse : public OpsTest {
public:
    void Choose(const std::string& path, const std::string& extension) {
        gui.fileDialogConfirms = true;
        gui.fileDialogResult = {path, extension};
    }
};

TEST_F(Browse, AsksForABinFileStartingInTheCurrentDirectory) {
    RunBrowseCommand(gui, Context(), state);
    ASSERT_EQ(gui.fileDialogs.size(), 1u);
    const RecordingGui::SeenFileRequest& request = gui.fileDialogs[0];
    EXPECT_EQ(request.defaultExtension, "bin");
    EXPECT_EQ(request.initialFileName, "*.bin");
    EXPECT_EQ(request.flags, kOfnHideReadOnly);
    EXPECT_EQ(request.filter, "Firmware File (bin)");
    EXPECT_TRUE(request.hasInitialDirectory);
    EXPECT_EQ(request.initialDirectory, "C:\\TOOLS");
}

TEST_F(Browse, InitialDirectoryOnlyWhenItFitsIn256WithItsTerminator) {
    system.currentDirectory = std::string(255, 'd');
    RunBrowseCommand(gui, Context(), state);
    system.currentDirectory = std::string(256, 'd');
    RunBrowseCommand(gui, Context(), state);
    system.currentDirectoryFails = true;
    RunBrowseCommand(gui, Context(), state);
    ASSERT_EQ(gui.fileDialogs.size(), 3u);
    EXPECT_EQ(gui.fileDialogs[0].initialDirectory, std::string(255, 'd'));
    EXPECT_FALSE(gui.fileDialogs[1].hasInitialDirectory);
    EXPECT_FALSE(gui.fileDialogs[2].hasInitialDirectory);
}

TEST_F(Browse, ABinFileOfAnyCaseIsTakenAndEnablesUpgrade) {
    gui.EnableItem(kUpgradeButton, false);  // as for an uncombined package
    Choose("C:\\FW\\FW.BIN", "BIN");
    RunBrowseCommand(gui, Context(), state);
    EXPECT_EQ(Path(), "C:\\FW\\FW.BIN");
    EXPECT_EQ(gui.text(kPathField), "C:\\FW\\FW.BIN");
    EXPECT_TRUE(gui.enabled(kUpgradeButton));
    EXPECT_EQ(gui.text(kStatusLine), "Select Firmware or Click Upgrade to Upgrade...");
}

TEST_F(Browse, CancelOrAnotherExtensionChangesNothing) {
    gui.EnableItem(kUpgradeButton, false);
    RunBrowseCommand(gui, Context(), state);  // not confirmed
    for (const char* extension : {"rom", "", "bin2", "bi"}) {
        Choose(std::string("C:\\fw.") + extension, extension);
        RunBrowseCommand(gui, Context(), state);
    }
    EXPECT_EQ(Path(), "");
    EXPECT_FALSE(gui.enabled(kUpgradeButton));
    EXPECT_EQ(Count("SetItemText(1004,)") + Count("SetItemText(1002,)"), 0);
    EXPECT_EQ(gui.text(kStatusLine), "");
}

// ---- save

class Save : public OpsTest {
public:
    Save() { state.firmwarePath.Assign(scratch.Path("fw.bin").c_str()); }
    void Run() { RunSaveCommand(gui, Context(), state); }
    std::vector<std::uint8_t> DriveFirmware() const {
        std::vector<std::uint8_t> bytes(kImageSize);
        for (std::uint32_t i = 0; i < kImageSize; ++i) bytes[i] = FakeTransport::FirmwareByte(i);
        return bytes;
    }
    std::string PathText(const char* format) const {
        const std::string path = Path();
        std::string text = format;
        const std::size_t at = text.find("%s");
        return at == std::string::npos ? text : text.replace(at, 2, path);
    }
    ScratchDirectory scratch;
};

struct SaveCase {
    const char* name;
    std::function<void(Save&)> arrange;
    const char* status;  // "%s" stands for the path
    const char* fileAfter;  // "empty", "old" (as before the save) or "image"
    bool opened, closed;
};

class SaveExits : public Save, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveExits, EndWithTheirTextTheFileAsStatedAndEverythingGivenBack) {
    const SaveCase& c = GetParam();
    const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
    scratch.Write("fw.bin", old);
    gui.boxAnswers = {kAnswerYes};  // overwrite it
    c.arrange(*this);
    transport.duringCommand = [&] { EXPECT_EQ(Buttons(), "000"); };
    Run();

    EXPECT_EQ(gui.text(kStatusLine), PathText(c.status));
    EXPECT_EQ(Buttons(), "111");
    EXPECT_EQ(transport.opened.size(), c.opened ? 1u : 0u);
    EXPECT_EQ(transport.closes, c.closed ? 1 : 0);
    EXPECT_TRUE(memory.live.empty());
    EXPECT_TRUE(memory.live.empty()) << "the read buffer is released";
    EXPECT_EQ(files.closes, files.opens) << "the file is closed on every path";
    const std::string after = c.fileAfter;
    const std::vector<std::uint8_t> expected = after == "old" ? old : after == "image" ? DriveFirmware()
                                                                                     : std::vector<std::uint8_t>();
    EXPECT_EQ(scratch.Read("fw.bin"), expected);
}

const char kCantWrite[] = "Cant write the file %s";
INSTANTIATE_TEST_SUITE_P(
    Table, SaveExits,
    ::testing::Values(
        SaveCase{"Success", [](Save&) {}, "Upgrade Firmware Successful!!", "image", true, true},
        SaveCase{"CannotOpenTheFile",
                 [](Save& s) { s.state.firmwarePath.Assign(s.scratch.Path("missing-folder/fw.bin").c_str()); },
                 "Cant open the file %s", "old", false, false},
        SaveCase{"UserKeepsTheFile", [](Save& s) { s.gui.boxAnswers = {kAnswerNo}; },
                 "File %s Exist, User cancel ...", "old", false, false},
        SaveCase{"QuestionFailedToShow", [](Save& s) { s.gui.boxAnswers = {0}; },
                 "File %s Exist, User cancel ...", "old", false, false},
        SaveCase{"NoMemory", [](Save& s) { s.memory.failAt = 1; }, "Memory (Write) Initialization Failed!!",
                 "empty", false, false},
        SaveCase{"CannotOpenTheDrive", [](Save& s) { s.transport.openResult = 0; },
                 "Open Device (0 1)TAVRINE KTX7724R05       Failed!!", "empty", true, false},
        SaveCase{"Block6FailsFiveTimes", [](Save& s) { s.transport.readResults = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0}; },
                 "Error Happen in ID 1 OFFSET 0x4000", "empty", true, true},
        SaveCase{"LengthUnknown", [](Save& s) { s.files.failLength = true; }, kCantWrite, "old", false, false},
        SaveCase{"CannotEmpty", [](Save& s) { s.files.failSetLength = true; }, kCantWrite, "old", false, false},
        SaveCase{"WriteFails", [](Save& s) { s.files.failWrite = true; }, kCantWrite, "empty", true, true}),
    [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

TEST_F(Save, AsksBeforeEmptyingAFileWithDataButNotAnEmptyOne) {
    scratch.Write("fw.bin", {1, 2, 3});
    gui.boxAnswers = {kAnswerYes};
    Run();
    ASSERT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(gui.boxes[0].text, PathText("File %s Exist, Overwrite ?"));
    EXPECT_FALSE(gui.boxes[0].hasCaption) << "the platform's default caption";
    EXPECT_EQ(gui.boxes[0].style, kMbYesNo);
    EXPECT_EQ(scratch.Read("fw.bin"), DriveFirmware());

    scratch.Write("empty.bin", {});
    state.firmwarePath.Assign(scratch.Path("empty.bin").c_str());
    Run();
    EXPECT_EQ(gui.boxes.size(), 1u);
    EXPECT_EQ(scratch.Read("empty.bin"), DriveFirmware());
}

TEST_F(Save, BeforeAnyBrowseThePathIsEmptyAndCannotBeOpened) {
    state.firmwarePath.Clear();
    Run();
    EXPECT_EQ(gui.text(kStatusLine), "Cant open the file ");
    EXPECT_EQ(Buttons(), "111");
}

// ---- read-out loop

class ReadOut : public Save {
public:
    ReadOut() {
        transport.Open(Drive(0, 1));
    }

    std::vector<std::uint8_t> read = std::vector<std::uint8_t>(kImageSize, 0);
};

TEST_F(ReadOut, ReadsEightBlocksByBufferIdAndOffsetMovingTheBar) {
    EXPECT_EQ(ReadOutFirmware(Context(), state, read.data()), ReadOutExit::Read);
    ASSERT_EQ(transport.reads.size(), 8u);
    for (std::uint32_t n = 0; n < 8; ++n) {
        EXPECT_EQ(transport.reads[n].bufferId, n / 4);
        EXPECT_EQ(transport.reads[n].offset, (n % 4) * 0x4000);
        EXPECT_EQ(transport.reads[n].length, 0x4000);
    }
    EXPECT_EQ(gui.progressHistory, (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_EQ(state.progress, 100);
    EXPECT_EQ(read, DriveFirmware());
}

TEST_F(ReadOut, FourFailuresOfABlockAreRetriedAtOnceAndTheCountStartsAfresh) {
    transport.readResults = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(ReadOutFirmware(Context(), state, read.data()), ReadOutExit::Read);
    EXPECT_EQ(transport.reads.size(), 16u);
    EXPECT_EQ(Count("Sleep(200)"), 0);
}

TEST_F(ReadOut, KeepsTheSystemAwakeWhileReadingOnEveryEnd) {
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "block 1 fails five times" : "every block read");
        transport.reads.clear();
        gui.calls.clear();
        if (failing) transport.readResults = {0, 0, 0, 0, 0};
        std::size_t awakeDuringCommands = 0;
        transport.duringCommand = [&] { awakeDuringCommands += system.keptAwake ? 1 : 0; };
        EXPECT_EQ(ReadOutFirmware(Context(), state, read.data()), failing ? ReadOutExit::BlockUnread : ReadOutExit::Read);
        EXPECT_EQ(awakeDuringCommands, transport.reads.size());
        EXPECT_FALSE(system.keptAwake);
        EXPECT_EQ(Count("KeepSystemAwake(true)"), 1);
        EXPECT_EQ(Count("KeepSystemAwake(false)"), 1);
    }
}

// A request the transport gave up on may still be completed into the
// buffer it names: the save keeps the buffer instead of freeing it.
TEST_F(Save, KeepsTheBufferAfterAnAbandonedRequest) {
    transport.readResults = {0, 0, 0, 0, 0};
    transport.duringCommand = [&] { transport.abandoned = true; };
    Run();
    EXPECT_EQ(gui.text(kStatusLine), "Error Happen in ID 0 OFFSET 0x0000");
    ASSERT_EQ(memory.live.size(), 1u) << "kept, not freed";
    EXPECT_EQ(memory.live.count(const_cast<std::uint8_t*>(transport.sent.back().data)), 1u) << "the block the request names";
    EXPECT_EQ(memory.strayReleases, 0);
    EXPECT_EQ(transport.closes, 1);
    EXPECT_EQ(files.closes, files.opens);
}

}  // namespace
