// The product's volume service against the running Windows (Wine in the
// test runs): handles travel through the portable value and back, failures
// come back as failures.

#include "platform/win32/volume_service_win32.h"

#include <gtest/gtest.h>

#include "device/pass_through_records.h"

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

TEST(Win32VolumeService, DeviceMapThatOpensCanBeQueried) {
    platform::Win32VolumeService volumes;
    std::uint32_t count = 0;
    // Whether the key exists depends on the system; opened, it must answer.
    EXPECT_NE(volumes.ReadScsiDeviceMap(count), platform::DeviceMapResult::QueryFailed);
}

}  // namespace
