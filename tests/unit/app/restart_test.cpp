// The restart at exit: nothing without a confirmed restart; on the NT family
// the shutdown privilege first, each failure shown without stopping the
// sequence; on every other platform a plain reboot request.

#include <string>

#include "app_test_fixture.h"


namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kOpenTokenBox = "Box(Reboot : OpenProcessToken Fail!!|DVD Firmware Upgrade Program|0)";
const std::string kAdjustBox = "Box(Reboot : AdjustTokenPrivileges Fail!!|DVD Firmware Upgrade Program|0)";
const std::string kExitWindowsBox = "Box(Reboot : ExitWindowsEx Fail!!|DVD Firmware Upgrade Program|0)";

class RestartTest : public AppTest {
protected:
    // The application object at exit with `restartOnExit`.
    void ExitWith(std::uint32_t platform, std::int32_t restartOnExit) {
        Construct(platform).restartOnExit = restartOnExit;
        Exit();
    }
};

TEST_F(RestartTest, NoConfirmedRestartMakesNoCallOnAnyPlatform) {
    for (std::uint32_t platform : {kPlatformWindows, kPlatformNt}) {
        ExitWith(platform, 0);
        EXPECT_THAT(log, IsEmpty());
    }
}

TEST_F(RestartTest, NtWithThePrivilegeGrantedRestartsWithForceAndShowsNothing) {
    ExitWith(kPlatformNt, 1);
    EXPECT_THAT(log, ElementsAre("OpenProcessToken(0x28)", "LookupPrivilege(SeShutdownPrivilege)",
                                 "AdjustTokenPrivileges(0x7A,0x13:0,0x2)", "GetLastError()=0", "CloseToken(0x7A)",
                                 "ExitWindowsEx(6,0)"));
    EXPECT_THAT(gui.boxes, IsEmpty());
}

TEST_F(RestartTest, NtPrivilegeNotHeldIsShownAndTheRestartIsStillAsked) {
    system.lastError = kErrorNotAllAssigned;
    ExitWith(kPlatformNt, 1);
    EXPECT_THAT(log, ElementsAre("OpenProcessToken(0x28)", "LookupPrivilege(SeShutdownPrivilege)",
                                 "AdjustTokenPrivileges(0x7A,0x13:0,0x2)", "GetLastError()=1300", kAdjustBox,
                                 "CloseToken(0x7A)", "ExitWindowsEx(6,0)"));

    // And when the system then refuses, that is shown too.
    log.clear();
    system.exitResult = 0;
    ExitWith(kPlatformNt, 1);
    EXPECT_EQ(log.size(), 8u);
    EXPECT_EQ(log.back(), kExitWindowsBox);
}

TEST_F(RestartTest, NtTokenThatCannotBeOpenedGoesOnWithANullTokenAndShowsThreeBoxes) {
    system.openTokenResult = 0;
    system.lastError = 6;  // ERROR_INVALID_HANDLE, from adjusting a null token
    system.exitResult = 0;
    ExitWith(kPlatformNt, 1);
    EXPECT_THAT(log, ElementsAre("OpenProcessToken(0x28)", kOpenTokenBox, "LookupPrivilege(SeShutdownPrivilege)",
                                 "AdjustTokenPrivileges(0x0,0x13:0,0x2)", "GetLastError()=6", kAdjustBox,
                                 "ExitWindowsEx(6,0)", kExitWindowsBox))
        << "a handle that was never opened is never closed";
    EXPECT_EQ(gui.boxes.size(), 3u);
}

TEST_F(RestartTest, NtFailedPrivilegeLookupAdjustsWithAZeroIdentifier) {
    system.lookupResult = 0;
    system.lastError = kErrorNotAllAssigned;
    ExitWith(kPlatformNt, 1);
    EXPECT_THAT(log, ElementsAre("OpenProcessToken(0x28)", "LookupPrivilege(SeShutdownPrivilege)",
                                 "AdjustTokenPrivileges(0x7A,0x0:0,0x2)", "GetLastError()=1300", kAdjustBox,
                                 "CloseToken(0x7A)", "ExitWindowsEx(6,0)"));
}

TEST_F(RestartTest, OtherPlatformsAskForAPlainRebootWithoutTokenCalls) {
    for (std::uint32_t platform : {kPlatformWindows, std::uint32_t{3}}) {
        SCOPED_TRACE(platform);
        system.exitResult = 1;
        ExitWith(platform, 1);
        EXPECT_THAT(log, ElementsAre("ExitWindowsEx(2,0)"));

        log.clear();
        system.exitResult = 0;
        ExitWith(platform, 1);
        EXPECT_THAT(log, ElementsAre("ExitWindowsEx(2,0)", kExitWindowsBox));
        log.clear();
    }
}

}  // namespace
