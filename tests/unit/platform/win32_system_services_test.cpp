// The Windows programs' operating-system services against the running
// Windows (Wine in the test runs).

#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

namespace {

TEST(Win32SystemServices, VersionFillsTheAnsiRecordInPlace) {
    platform::Win32SystemServices system;
    OsVersionRecord record{};
    std::memset(record.szCSDVersion, 0x7F, sizeof record.szCSDVersion);
    record.dwOSVersionInfoSize = sizeof record;
    ASSERT_EQ(system.QueryVersion(record), 1);
    EXPECT_EQ(record.dwOSVersionInfoSize, 148u);
    EXPECT_TRUE(record.dwPlatformId == kPlatformWindows || record.dwPlatformId == kPlatformNt);
    EXPECT_GE(record.dwMajorVersion, 4u);
    EXPECT_NE(std::memchr(record.szCSDVersion, 0, sizeof record.szCSDVersion), nullptr) << "service pack text ends";

    // A size the system does not know is refused.
    OsVersionRecord wrongSize{};
    wrongSize.dwOSVersionInfoSize = 12;
    EXPECT_EQ(system.QueryVersion(wrongSize), 0);
}

TEST(Win32SystemServices, CurrentDirectoryReportsTheSizeItNeeds) {
    platform::Win32SystemServices system;
    char small[2] = {};
    const std::uint32_t needed = system.CurrentDirectory(sizeof small, small);
    ASSERT_GT(needed, sizeof small);
    std::string path(needed, '\0');
    const std::uint32_t length = system.CurrentDirectory(needed, &path[0]);
    EXPECT_EQ(length + 1, needed);
    EXPECT_EQ(path[length], '\0');
}

TEST(Win32SystemServices, SleepWaitsAtLeastAboutTheTimeAsked) {
    platform::Win32SystemServices system;
    const DWORD start = ::GetTickCount();
    system.Sleep(60);
    // A lower bound only (the clock ticks in steps of up to ~16 ms): a
    // pause that does not wait shows, a slow machine does not fail it.
    EXPECT_GE(::GetTickCount() - start, 40u);
}

// The state the system keeps for this thread: SetThreadExecutionState
// answers with the state before the call, so setting the same state again
// reads it without changing it.
EXECUTION_STATE CurrentExecutionState() {
    using SetExecutionState = EXECUTION_STATE(WINAPI*)(EXECUTION_STATE);
    const FARPROC entry = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "SetThreadExecutionState");
    if (entry == nullptr) return 0;
    SetExecutionState setState;
    std::memcpy(&setState, &entry, sizeof setState);
    const EXECUTION_STATE state = setState(ES_CONTINUOUS);
    setState(state);
    return state;
}

TEST(Win32SystemServices, KeepSystemAwakeSetsAndClearsTheContinuousSystemRequirement) {
    platform::Win32SystemServices system;
    system.KeepSystemAwake(true);
    EXPECT_EQ(CurrentExecutionState() & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    system.KeepSystemAwake(false);
    EXPECT_EQ(CurrentExecutionState() & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS);
}

}  // namespace
