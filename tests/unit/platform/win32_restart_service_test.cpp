// The dialog program's restart service against the running Windows (Wine in
// the test runs), up to the restart request itself, which is left to the
// end-to-end runs: here it would end the test's own session.

#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>

namespace {

TEST(Win32RestartService, ShutdownPrivilegeCanBeLookedUpAndAdjustedOnTheProcessToken) {
    platform::Win32RestartService system;
    TokenHandle token = nullptr;
    ASSERT_EQ(system.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token), 1);
    ASSERT_NE(token, nullptr);

    PrivilegeId shutdown{0, 0};
    ASSERT_EQ(system.LookupPrivilege("SeShutdownPrivilege", shutdown), 1);
    EXPECT_TRUE(shutdown.lowPart != 0 || shutdown.highPart != 0);

    EXPECT_EQ(system.AdjustTokenPrivileges(token, shutdown, kSePrivilegeEnabled), 1);
    const std::uint32_t error = system.GetLastError();
    EXPECT_TRUE(error == 0 || error == kErrorNotAllAssigned) << error;
    EXPECT_EQ(system.CloseToken(token), 1);
}

TEST(Win32RestartService, FailuresComeBackAsFailures) {
    platform::Win32RestartService system;
    PrivilegeId unknown{0x1234, 0x5678};
    EXPECT_EQ(system.LookupPrivilege("SeNoSuchPrivilegeAtAll", unknown), 0);
    EXPECT_EQ(unknown.lowPart, 0x1234u) << "a failed lookup leaves the identifier alone";

    // A null token, as the restart uses after a failed open.
    EXPECT_EQ(system.AdjustTokenPrivileges(nullptr, unknown, kSePrivilegeEnabled), 0);
    EXPECT_NE(system.GetLastError(), 0u);
}

}  // namespace
