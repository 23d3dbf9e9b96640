// The product's volume service against the running Windows (Wine in the
// test runs): handles travel through the portable value and back, failures
// come back as failures.

#include "platform/win32/win32_services.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/pass_through_records.h"

namespace {

using platform::kInvalidVolumeHandle;

TEST(Win32VolumeService, MissingVolumeGivesTheInvalidHandleValue) {
    platform::Win32VolumeService volumes;
    EXPECT_EQ(volumes.OpenVolume("\\\\.\\KtxNoSuchVolume", platform::kGenericRead, platform::kFileShareRead),
              kInvalidVolumeHandle);
}

TEST(Win32VolumeService, HandleRoundTripsAndClosesOnce) {
    platform::Win32VolumeService volumes;
    // The null device opens everywhere and knows no SCSI pass-through.
    const platform::VolumeHandle handle =
        volumes.OpenVolume("NUL", platform::kGenericRead | platform::kGenericWrite,
                           platform::kFileShareRead | platform::kFileShareWrite);
    ASSERT_NE(handle, kInvalidVolumeHandle);
    passthrough::PassThroughRequest request{};
    request.header.Length = sizeof request.header;
    EXPECT_EQ(volumes.DeviceIoControl(handle, passthrough::kIoctlScsiPassThrough, &request,
                                      passthrough::kBufferedInputLength, &request, sizeof request),
              0);
    EXPECT_EQ(volumes.CloseVolume(handle), 1);
    EXPECT_EQ(volumes.CloseVolume(handle), 0);
}

// The device map counts one subkey per SCSI port. The test adds a port of
// its own (volatile, like the rest of Hardware) so that the key surely
// exists and the count it must report is known, then removes what it added.
TEST(Win32VolumeService, DeviceMapCountsTheScsiPorts) {
    platform::Win32VolumeService volumes;
    HKEY map = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\Scsi", 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &map, &disposition),
              ERROR_SUCCESS);
    std::uint32_t before = 0;
    ASSERT_EQ(volumes.ReadScsiDeviceMap(before), platform::DeviceMapResult::Ok);

    HKEY port = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(map, "Ktx Test Port", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &port,
                                nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(port);
    std::uint32_t after = 0;
    EXPECT_EQ(volumes.ReadScsiDeviceMap(after), platform::DeviceMapResult::Ok);
    EXPECT_EQ(after, before + 1);

    ::RegDeleteKeyA(map, "Ktx Test Port");
    ::RegCloseKey(map);
    if (disposition == REG_CREATED_NEW_KEY) ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\Scsi");
}

}  // namespace
