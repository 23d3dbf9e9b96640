// The simulated NT storage stack on its own: requests built by hand, so
// that each of the platform's refusals is shown to refuse for its own reason
// (and only that one), before the drive sees anything.

#include "simulated_nt_storage.h"


#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "nt_errors.h"

#include "platform/pass_through_records.h"

namespace {

using passthrough::ScsiPassThrough;
using passthrough::ScsiPassThroughDirect;
using platform::kFileShareRead;
using platform::kFileShareWrite;
using platform::kGenericRead;
using platform::kGenericWrite;
namespace nt_error = sim::nt_error;

constexpr std::uint32_t kReadWrite = kGenericRead | kGenericWrite;
constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite;
constexpr std::uint32_t kHeaderSize = sizeof(ScsiPassThrough);

class SimulatedNtStorageTest : public ::testing::Test {
protected:
    SimulatedNtStorageTest() {
        sim::DriveConfig config;
        config.letter = 'E';
        config.adapter = 1;
        drive = &machine.AddDrive(config);
        machine.AddHardDisk('C');
    }

    platform::VolumeHandle Open(const char* name, std::uint32_t access = kReadWrite) {
        return storage.OpenVolume(name, access, kShareAll);
    }

    sim::SimulatedMachine machine;
    sim::SimulatedDrive* drive = nullptr;
    sim::SimulatedNtStorage storage{machine};
};

// A well-formed buffered INQUIRY for 96 bytes, in a buffer big enough for
// every variant below; the header is written into the buffer's start.
struct BufferedRequest {
    ScsiPassThrough header{};
    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(0x20000, 0);
    std::uint32_t inLength = kHeaderSize;
    std::uint32_t outLength = passthrough::kDataOffset + 96;

    BufferedRequest() {
        header.Length = sizeof header;
        header.CdbLength = 6;
        header.SenseInfoLength = 24;
        header.DataIn = passthrough::kDataIn;
        header.DataTransferLength = 96;
        header.TimeOutValue = 10;
        header.DataBufferOffset = passthrough::kDataOffset;
        header.SenseInfoOffset = passthrough::kSenseOffset;
        const std::uint8_t cdb[] = {0x12, 0x00, 0x00, 0x00, 0x60, 0x00};
        std::memcpy(header.Cdb, cdb, sizeof cdb);
    }
    int Send(sim::SimulatedNtStorage& storage, platform::VolumeHandle handle) {
        std::memcpy(buffer.data(), &header, sizeof header);
        return storage.DeviceIoControl(handle, passthrough::kIoctlScsiPassThrough, buffer.data(), inLength,
                                       buffer.data(), outLength);
    }
};

// A well-formed direct READ BUFFER mode 1 of 256 bytes into `data`.
struct DirectRequest {
    passthrough::DirectRequest record{};
    std::vector<std::uint8_t> data = std::vector<std::uint8_t>(256, 0);
    std::uint32_t inLength = sizeof record;
    std::uint32_t outLength = sizeof record;

    DirectRequest() {
        auto& header = record.header;
        header.Length = sizeof header;
        header.CdbLength = 10;
        header.SenseInfoLength = 24;
        header.DataIn = passthrough::kDataIn;
        header.DataTransferLength = 256;
        header.TimeOutValue = 10;
        header.DataBuffer = data.data();
        header.SenseInfoOffset = passthrough::kSenseOffset;
        const std::uint8_t cdb[] = {0x3C, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01};
        std::memcpy(header.Cdb, cdb, sizeof cdb);
    }
    int Send(sim::SimulatedNtStorage& storage, platform::VolumeHandle handle) {
        return storage.DeviceIoControl(handle, passthrough::kIoctlScsiPassThroughDirect, &record, inLength, &record,
                                       outLength);
    }
};

// --- requests that go through ----------------------------------------------------

TEST_F(SimulatedNtStorageTest, BufferedInquiryReturnsStatusAndDataWithinTheOutput) {
    const platform::VolumeHandle handle = Open("\\\\.\\E:");
    ASSERT_NE(handle, platform::kInvalidVolumeHandle);
    BufferedRequest request;
    // The output ends exactly where the data asked for end: nothing beyond it
    // may be written (the sanitizer build would see it in this buffer).
    std::vector<std::uint8_t> exact(request.outLength, 0xEE);
    std::memcpy(exact.data(), &request.header, sizeof request.header);
    ASSERT_EQ(storage.DeviceIoControl(handle, passthrough::kIoctlScsiPassThrough, exact.data(), kHeaderSize,
                                      exact.data(), request.outLength),
              1);
    ScsiPassThrough back;
    std::memcpy(&back, exact.data(), sizeof back);
    EXPECT_EQ(back.ScsiStatus, 0);
    EXPECT_EQ(back.DataTransferLength, 96u);
    const std::uint8_t* data = exact.data() + passthrough::kDataOffset;
    EXPECT_EQ(data[0], 0x05);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data + 8), 8), "TAVRINE ");
    EXPECT_EQ(storage.lastError(), nt_error::kSuccess);
    EXPECT_TRUE(storage.calls().back().reachedTarget);
}

TEST_F(SimulatedNtStorageTest, CheckConditionSucceedsAsACallAndReturnsNoData) {
    sim::DriveConfig failing;
    failing.letter = 'F';
    failing.target = 1;
    failing.modeSenseFails = true;
    machine.AddDrive(failing);
    const platform::VolumeHandle handle = Open("\\\\.\\F:");
    BufferedRequest request;
    const std::uint8_t modeSense[] = {0x5A, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00};
    std::memcpy(request.header.Cdb, modeSense, sizeof modeSense);
    request.header.CdbLength = 10;
    request.header.DataTransferLength = 100;
    request.outLength = passthrough::kDataOffset + 100;
    std::memset(request.buffer.data(), 0xCC, request.buffer.size());

    ASSERT_EQ(request.Send(storage, handle), 1);
    ScsiPassThrough back;
    std::memcpy(&back, request.buffer.data(), sizeof back);
    EXPECT_EQ(back.ScsiStatus, 2);
    EXPECT_EQ(back.DataTransferLength, 0u);
    EXPECT_EQ(request.buffer[passthrough::kDataOffset + 10], 0xCC);  // the data area is not written back
}

// --- refusals of the request records ---------------------------------------------

TEST_F(SimulatedNtStorageTest, MalformedBufferedRequestsAreRefusedBeforeTheDrive) {
    struct Case {
        const char* name;
        std::function<void(BufferedRequest&)> spoil;
        std::uint32_t error;
    };
    const std::vector<Case> cases = {
        {"Length larger than the header", [](BufferedRequest& r) { r.header.Length += 4; },
         nt_error::kRevisionMismatch},
        {"Length smaller than the header", [](BufferedRequest& r) { r.header.Length -= 4; },
         nt_error::kRevisionMismatch},
        {"input shorter than the header", [](BufferedRequest& r) { r.inLength = kHeaderSize - 1; },
         nt_error::kInvalidParameter},
        {"output shorter than the header",
         [](BufferedRequest& r) {
             r.header.DataTransferLength = 0;
             r.header.SenseInfoLength = 0;
             r.outLength = kHeaderSize - 1;
         },
         nt_error::kInvalidParameter},
        {"data-in area beyond the output", [](BufferedRequest& r) { r.outLength -= 1; },
         nt_error::kInvalidParameter},
        {"data area inside the header", [](BufferedRequest& r) { r.header.DataBufferOffset = 8; },
         nt_error::kInvalidParameter},
        {"data offset far beyond the buffers",
         [](BufferedRequest& r) { r.header.DataBufferOffset = ~static_cast<std::uintptr_t>(0) - 16; },
         nt_error::kInvalidParameter},
        {"data-out area beyond the input", [](BufferedRequest& r) { r.header.DataIn = passthrough::kDataOut; },
         nt_error::kInvalidParameter},
        {"unspecified direction with the data beyond the input",
         [](BufferedRequest& r) { r.header.DataIn = passthrough::kDataUnspecified; }, nt_error::kInvalidParameter},
        {"sense area beyond the output", [](BufferedRequest& r) { r.header.SenseInfoOffset = r.outLength - 10; },
         nt_error::kInvalidParameter},
        {"sense area inside the header", [](BufferedRequest& r) { r.header.SenseInfoOffset = 0; },
         nt_error::kInvalidParameter},
        {"CDB longer than 16 bytes", [](BufferedRequest& r) { r.header.CdbLength = 17; },
         nt_error::kInvalidParameter},
        {"direction other than 0, 1 or 2", [](BufferedRequest& r) { r.header.DataIn = 3; },
         nt_error::kInvalidParameter},
        {"no time-out", [](BufferedRequest& r) { r.header.TimeOutValue = 0; }, nt_error::kInvalidParameter},
        {"time-out beyond 30 hours", [](BufferedRequest& r) { r.header.TimeOutValue = 108001; },
         nt_error::kInvalidParameter},
        {"data length beyond the adapter's maximum transfer",
         [](BufferedRequest& r) {
             r.header.DataTransferLength = 0x10001;
             r.outLength = passthrough::kDataOffset + 0x10001;
         },
         nt_error::kInvalidParameter},
    };
    const platform::VolumeHandle handle = Open("\\\\.\\E:");
    ASSERT_NE(handle, platform::kInvalidVolumeHandle);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BufferedRequest request;
        c.spoil(request);
        std::memcpy(request.buffer.data(), &request.header, sizeof request.header);
        const std::vector<std::uint8_t> before = request.buffer;
        const std::uint32_t commands = drive->commandCount();
        EXPECT_EQ(request.Send(storage, handle), 0);
        EXPECT_EQ(storage.lastError(), c.error);
        EXPECT_FALSE(storage.calls().back().reachedTarget);
        EXPECT_EQ(drive->commandCount(), commands);
        EXPECT_TRUE(request.buffer == before) << "a refused request must leave the output as it was";
    }
    // The same request, unspoiled, goes through.
    BufferedRequest good;
    EXPECT_EQ(good.Send(storage, handle), 1);
}

TEST_F(SimulatedNtStorageTest, MalformedDirectRequestsAreRefusedBeforeTheDrive) {
    struct Case {
        const char* name;
        std::function<void(DirectRequest&)> spoil;
        std::uint32_t error;
    };
    const std::vector<Case> cases = {
        {"Length not the header size", [](DirectRequest& r) { r.record.header.Length = 36; },
         nt_error::kRevisionMismatch},
        {"input shorter than the header", [](DirectRequest& r) { r.inLength = kHeaderSize - 1; },
         nt_error::kInvalidParameter},
        {"output shorter than the header", [](DirectRequest& r) {
             r.record.header.SenseInfoLength = 0;
             r.outLength = kHeaderSize - 1;
         },
         nt_error::kInvalidParameter},
        {"sense area beyond the output", [](DirectRequest& r) { r.outLength = passthrough::kSenseOffset + 23; },
         nt_error::kInvalidParameter},
        {"null data buffer with a length", [](DirectRequest& r) { r.record.header.DataBuffer = nullptr; },
         nt_error::kNoAccess},
        {"CDB longer than 16 bytes", [](DirectRequest& r) { r.record.header.CdbLength = 20; },
         nt_error::kInvalidParameter},
        {"no time-out", [](DirectRequest& r) { r.record.header.TimeOutValue = 0; }, nt_error::kInvalidParameter},
        {"data length beyond the adapter's maximum transfer",
         [](DirectRequest& r) { r.record.header.DataTransferLength = 0x20000; }, nt_error::kInvalidParameter},
    };
    const platform::VolumeHandle handle = Open("\\\\.\\E:");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirectRequest request;
        c.spoil(request);
        const std::uint32_t commands = drive->commandCount();
        EXPECT_EQ(request.Send(storage, handle), 0);
        EXPECT_EQ(storage.lastError(), c.error);
        EXPECT_FALSE(storage.calls().back().reachedTarget);
        EXPECT_EQ(drive->commandCount(), commands);
        EXPECT_EQ(request.record.header.ScsiStatus, 0);
    }
    DirectRequest good;
    ASSERT_EQ(good.Send(storage, handle), 1);
    const std::vector<std::uint8_t> image = drive->image();
    EXPECT_TRUE(std::equal(good.data.begin(), good.data.end(), image.begin()));
}

// --- refusals of the call ------------------------------------------------------------

TEST_F(SimulatedNtStorageTest, CallsOnBadHandlesUnknownCodesOrUnreachableBuffersFail) {
    const platform::VolumeHandle handle = Open("\\\\.\\E:");
    BufferedRequest request;

    EXPECT_EQ(request.Send(storage, platform::kInvalidVolumeHandle), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kInvalidHandle);
    EXPECT_EQ(request.Send(storage, handle + 0x40), 0);  // never handed out
    EXPECT_EQ(storage.lastError(), nt_error::kInvalidHandle);

    std::memcpy(request.buffer.data(), &request.header, sizeof request.header);
    EXPECT_EQ(storage.DeviceIoControl(handle, 0x2D1400 /* IOCTL_STORAGE_QUERY_PROPERTY */, request.buffer.data(),
                                      request.inLength, request.buffer.data(), request.outLength),
              0);
    EXPECT_EQ(storage.lastError(), nt_error::kInvalidFunction);

    EXPECT_EQ(storage.DeviceIoControl(handle, passthrough::kIoctlScsiPassThrough, nullptr, kHeaderSize,
                                      request.buffer.data(), request.outLength),
              0);
    EXPECT_EQ(storage.lastError(), nt_error::kNoAccess);

    EXPECT_EQ(storage.CloseVolume(handle), 1);
    EXPECT_EQ(request.Send(storage, handle), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kInvalidHandle);
    EXPECT_EQ(storage.CloseVolume(handle), 0);  // closed already
    EXPECT_EQ(storage.lastError(), nt_error::kInvalidHandle);
    EXPECT_EQ(drive->commandCount(), 0u);
}

TEST_F(SimulatedNtStorageTest, ReadOnlyHandlePassesOnlyOnAnNt4StyleStack) {
    const platform::VolumeHandle readOnly = Open("\\\\.\\E:", kGenericRead);
    ASSERT_NE(readOnly, platform::kInvalidVolumeHandle);
    BufferedRequest request;
    EXPECT_EQ(request.Send(storage, readOnly), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kAccessDenied);

    storage.SetPassThroughNeedsReadWrite(false);
    EXPECT_EQ(request.Send(storage, readOnly), 1);
}

TEST_F(SimulatedNtStorageTest, OnlyVolumeNamesOfExistingLettersOpen) {
    for (const char* bad : {"\\\\.\\E", "E:", "\\\\.\\EE:", "\\\\?\\E:", "\\\\.\\1:", "\\\\.\\G:", ""}) {
        EXPECT_EQ(Open(bad), platform::kInvalidVolumeHandle) << bad;
        EXPECT_EQ(storage.lastError(), nt_error::kFileNotFound) << bad;
    }
    const platform::VolumeHandle lower = Open("\\\\.\\e:");
    const platform::VolumeHandle disk = Open("\\\\.\\C:");
    EXPECT_NE(lower, platform::kInvalidVolumeHandle);
    EXPECT_NE(disk, platform::kInvalidVolumeHandle);
    EXPECT_NE(lower, disk);
    EXPECT_EQ(storage.openHandleCount(), 2u);

    // Without the rights to write to volumes, only read-only opens succeed.
    storage.SetWriteAccessAllowed(false);
    EXPECT_EQ(Open("\\\\.\\E:"), platform::kInvalidVolumeHandle);
    EXPECT_EQ(storage.lastError(), nt_error::kAccessDenied);
    EXPECT_NE(Open("\\\\.\\E:", kGenericRead), platform::kInvalidVolumeHandle);

    const auto& recorded = storage.opens().back();
    EXPECT_EQ(recorded.name, "\\\\.\\E:");
    EXPECT_EQ(recorded.access, kGenericRead);
    EXPECT_EQ(recorded.sharing, kShareAll);
}

// --- commands that do not end well ------------------------------------------------

TEST_F(SimulatedNtStorageTest, CommandsThatTimeOutOrFindNoDeviceFailTheCall) {
    sim::DriveConfig stuck;
    stuck.letter = 'F';
    stuck.target = 1;
    stuck.neverCompleteCommand = 1;
    machine.AddDrive(stuck);
    sim::DriveConfig slow;
    slow.letter = 'G';
    slow.target = 2;
    slow.latencyMs = 2000;
    machine.AddDrive(slow);
    sim::DriveConfig vanishing;
    vanishing.letter = 'H';
    vanishing.target = 3;
    vanishing.vanishAfterCommand = 1;
    machine.AddDrive(vanishing);

    BufferedRequest request;
    EXPECT_EQ(request.Send(storage, Open("\\\\.\\F:")), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kSemTimeout);
    EXPECT_TRUE(storage.calls().back().reachedTarget);

    // A latency of 2 s against a 1 s time-out: ended at the time-out.
    request.header.TimeOutValue = 1;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request.Send(storage, Open("\\\\.\\G:")), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kSemTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));

    const platform::VolumeHandle h = Open("\\\\.\\H:");
    request.header.TimeOutValue = 10;
    EXPECT_EQ(request.Send(storage, h), 1);
    EXPECT_EQ(request.Send(storage, h), 0);
    EXPECT_EQ(storage.lastError(), nt_error::kIoDevice);
    // Once gone, the drive has no volume to open any more.
    EXPECT_EQ(Open("\\\\.\\H:"), platform::kInvalidVolumeHandle);
    EXPECT_EQ(storage.lastError(), nt_error::kFileNotFound);
}

TEST_F(SimulatedNtStorageTest, LatencyBelowTheTimeOutIsWaitedOut) {
    sim::DriveConfig slow;
    slow.letter = 'G';
    slow.target = 2;
    slow.latencyMs = 30;
    machine.AddDrive(slow);
    BufferedRequest request;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(request.Send(storage, Open("\\\\.\\G:")), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

// --- the device map -------------------------------------------------------------------

TEST_F(SimulatedNtStorageTest, DeviceMapCountsTheMachinesAdaptersUnlessTold) {
    std::uint32_t count = 99;
    // The drive on adapter 1 implies adapters 0 and 1.
    EXPECT_EQ(storage.ReadScsiDeviceMap(count), platform::DeviceMapResult::Ok);
    EXPECT_EQ(count, 2u);
    storage.SetScsiPortCount(0);
    EXPECT_EQ(storage.ReadScsiDeviceMap(count), platform::DeviceMapResult::Ok);
    EXPECT_EQ(count, 0u);
    count = 99;
    storage.MakeDeviceMapUnreadable();
    EXPECT_EQ(storage.ReadScsiDeviceMap(count), platform::DeviceMapResult::QueryFailed);
    EXPECT_EQ(count, 99u);  // untouched on failure
}

}  // namespace
