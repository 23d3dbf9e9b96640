// The product's operating-system services against the running Windows (Wine
// in the test runs). The restart request itself is left to the end-to-end
// runs: here it would end the test's own session.

#include "platform/win32/system_services_win32.h"

#include <gtest/gtest.h>

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

TEST(Win32SystemServices, ShutdownPrivilegeCanBeLookedUpAndAdjustedOnTheProcessToken) {
    platform::Win32SystemServices system;
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

TEST(Win32SystemServices, FailuresComeBackAsFailures) {
    platform::Win32SystemServices system;
    PrivilegeId unknown{0x1234, 0x5678};
    EXPECT_EQ(system.LookupPrivilege("SeNoSuchPrivilegeAtAll", unknown), 0);
    EXPECT_EQ(unknown.lowPart, 0x1234u) << "a failed lookup leaves the identifier alone";

    // A null token, as the restart uses after a failed open.
    EXPECT_EQ(system.AdjustTokenPrivileges(nullptr, unknown, kSePrivilegeEnabled), 0);
    EXPECT_NE(system.GetLastError(), 0u);
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
    system.Sleep(0);
}

}  // namespace
