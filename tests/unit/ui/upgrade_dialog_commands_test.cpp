// Ids the dialog does not route, and the painting of the minimised window
// (the buttons' operations and the one-command-at-a-time rule:
// dialog_operations_test.cpp).

#include <string>
#include <vector>

#include "dialog_test_support.h"


namespace {

class CommandTest : public DialogTest {
protected:
    CommandTest() : dialog(Services()) {
        dialog.state.devices.Append(DriveRecord("TAVRINE ", "KTX7724R05      ", "P1.2  "));
        dialog.OnInitDialog();
        gui.calls.clear();
    }

    UpgradeDialog dialog;
};

TEST_F(CommandTest, OtherIdsAreNotRouted) {
    for (int id : {0, 3, int{kDeviceSelector}, int{kProgressBar}, int{kPathField}, int{kStatusLine}, 1012, 1013}) {
        EXPECT_FALSE(dialog.OnCommand(id)) << id;
    }
    EXPECT_TRUE(gui.calls.empty());
}

TEST_F(CommandTest, PaintingIsLeftToThePlatformUnlessMinimised) {
    gui.iconic = false;
    EXPECT_FALSE(dialog.OnPaint());
    EXPECT_TRUE(gui.calls.empty());
}

TEST_F(CommandTest, MinimisedWindowDrawsTheIconCentredWithTruncationTowardZero) {
    gui.iconic = true;
    gui.iconWidth = 32;
    gui.iconHeight = 32;
    // client width -> x: (width - 32 + 1) / 2, truncated toward zero.
    const std::pair<int, int> cases[] = {{37, 3}, {34, 1}, {30, 0}, {20, -5}, {100, 34}};
    for (const auto& c : cases) {
        gui.calls.clear();
        gui.clientRect = ClientRect{0, 0, c.first, 37};
        EXPECT_TRUE(dialog.OnPaint());
        const std::vector<std::string> expected{
            "BeginPaint()",
            "EraseIconBackground(dc)",
            "DrawIcon(dc," + std::to_string(c.second) + ",3,app)",
            "EndPaint(dc)",
        };
        EXPECT_EQ(gui.calls, expected) << "client width " << c.first;
    }

    // Height and width are measured separately, each with its own metric.
    gui.calls.clear();
    gui.iconWidth = 16;
    gui.iconHeight = 24;
    gui.clientRect = ClientRect{0, 0, 40, 30};
    dialog.OnPaint();
    EXPECT_EQ(gui.calls[2], "DrawIcon(dc,12,3,app)");
}

TEST_F(CommandTest, DraggingTheMinimisedWindowShowsTheApplicationIcon) {
    EXPECT_EQ(dialog.OnQueryDragIcon(), RecordingGui::AppIcon());
}

}  // namespace
