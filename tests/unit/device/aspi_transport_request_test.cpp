// The request blocks AspiTransport sends, byte for byte, how it judges
// their completion, and the event and time bounds of waiting for them.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "aspi_test_support.h"

#include "device/aspi_transport.h"
#include "firmware/firmware_package.h"
#include "simulated_aspi_library.h"


namespace {

using aspi_test::DriveAt;
using aspi_test::ExpectedExec;
using aspi_test::SameBytes;
using Faults = sim::SimulatedAspiLibrary::Faults;

DeviceRecord RecordFor(std::uint8_t adapter, std::uint8_t target) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    record.hostAdapter = adapter;
    record.targetId = target;
    record.imageSize = kImageSize;
    return record;
}

// A drive that answers late enough for its request to be pending when
// SendASPI32Command returns, so that the transport has to wait for it.
sim::DriveConfig SlowDriveAt(std::uint8_t adapter, std::uint8_t target) {
    sim::DriveConfig config = DriveAt(adapter, target);
    config.latencyMs = 50;
    return config;
}

// A drive at adapter 1, target 3, opened; the transport is left to the test.
struct OpenedDrive {
    explicit OpenedDrive(sim::DriveConfig config = DriveAt(1, 3), Faults faults = Faults())
        : drive(machine.AddDrive(config)), library(machine, faults) {}
    std::unique_ptr<AspiTransport> Open(std::uint32_t boundMs = AspiTransport::kBoundFromCommand) {
        auto transport = std::make_unique<AspiTransport>(library, boundMs);
        EXPECT_EQ(transport->initOk, 1);
        EXPECT_EQ(transport->Open(RecordFor(drive.config().adapter, drive.config().target)), 1);
        return transport;
    }
    sim::SimulatedAspi::ReceivedRequest LastRequest() {
        const auto requests = aspi_test::ScsiRequests(library.aspi());
        EXPECT_FALSE(requests.empty());
        return requests.empty() ? sim::SimulatedAspi::ReceivedRequest() : requests.back();
    }
    std::size_t Sent() { return library.aspi().requestCount(); }

    sim::SimulatedMachine machine;
    sim::SimulatedDrive& drive;
    sim::SimulatedAspiLibrary library;
};

TEST(AspiTransportRequests, InquiryAndModeSenseUseTheTransportsOwnZeroFilledBuffer) {
    OpenedDrive setup;
    auto transport = setup.Open();
    for (int round = 0; round < 2; ++round) {  // the second finds the buffer used
        SCOPED_TRACE(round);
        ASSERT_EQ(transport->Inquiry(), 1);
        auto inquiry = setup.LastRequest();
        const auto inquirySrb = aspi_test::AsExec(inquiry);
        ASSERT_NE(inquirySrb.SRB_BufPointer, nullptr);
        ExpectedExec want{1, 3, 0x08, 100, inquirySrb.SRB_BufPointer, nullptr, {0x12, 0, 0, 0, 0x64, 0}};
        EXPECT_TRUE(SameBytes(want.Build(), inquiry.srb));
        EXPECT_EQ(inquiry.data, std::vector<std::uint8_t>(100, 0));

        ASSERT_EQ(transport->ModeSense(), 1);
        auto modeSense = setup.LastRequest();
        const auto modeSenseSrb = aspi_test::AsExec(modeSense);
        ASSERT_NE(modeSenseSrb.SRB_BufPointer, nullptr);
        ExpectedExec wantMode{1, 3, 0x08, 100, modeSenseSrb.SRB_BufPointer, nullptr,
                              {0x5A, 0, 0x2A, 0, 0, 0, 0, 0, 0x64, 0, 0, 0}};
        EXPECT_TRUE(SameBytes(wantMode.Build(), modeSense.srb));
        EXPECT_EQ(modeSense.data, std::vector<std::uint8_t>(100, 0));
    }
    EXPECT_STREQ(transport->current.productId, "KTX7724R05      ");
    EXPECT_EQ(transport->dvdRomOnly, 1);
}

TEST(AspiTransportRequests, BufferCommandsCarryTheCallersBuffer) {
    OpenedDrive setup;
    auto transport = setup.Open();
    std::vector<std::uint8_t> buffer(0x4000);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 13);

    ASSERT_EQ(transport->WriteBufferMode7(buffer.data(), 0, 0x4000, 0x4000), 1);
    auto write = setup.LastRequest();
    ExpectedExec wantWrite{1, 3, 0x10, 0x4000, buffer.data(), nullptr,
                           {0x3B, 0x07, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00}};
    EXPECT_TRUE(SameBytes(wantWrite.Build(), write.srb));
    EXPECT_EQ(write.data, buffer);

    std::vector<std::uint8_t> readBack(0x4000);
    ASSERT_EQ(transport->ReadBufferMode2(readBack.data(), 0, 0x4000, 0x4000), 1);
    ExpectedExec wantRead2{1, 3, 0x08, 0x4000, readBack.data(), nullptr,
                           {0x3C, 0x02, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00}};
    EXPECT_TRUE(SameBytes(wantRead2.Build(), setup.LastRequest().srb));
    EXPECT_EQ(readBack, buffer) << "data-in lands in the caller's buffer";

    ASSERT_EQ(transport->ReadBufferMode1(readBack.data(), 1, 0x4000, 0x4000), 1);
    ExpectedExec wantRead1{1, 3, 0x08, 0x4000, readBack.data(), nullptr,
                           {0x3C, 0x01, 0x01, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x01}};
    EXPECT_TRUE(SameBytes(wantRead1.Build(), setup.LastRequest().srb));
    const auto image = setup.drive.image();
    EXPECT_TRUE(std::equal(readBack.begin(), readBack.end(), image.begin() + 0x14000));
}

TEST(AspiTransportRequests, CommandsWithoutDataSendANullBufferOfLengthZero) {
    OpenedDrive setup;
    auto transport = setup.Open();
    ASSERT_EQ(transport->WriteBufferMode4(), 1);
    ExpectedExec wantMode4{1, 3, 0x10, 0, nullptr, nullptr, {0x3B, 0x04, 0, 0, 0, 0, 0, 0, 0, 0}};
    EXPECT_TRUE(SameBytes(wantMode4.Build(), setup.LastRequest().srb));

    ASSERT_EQ(transport->TestUnitReady(), 1);
    ExpectedExec wantReady{1, 3, 0x08, 0, nullptr, nullptr, std::vector<std::uint8_t>(12, 0)};
    EXPECT_TRUE(SameBytes(wantReady.Build(), setup.LastRequest().srb));
}

TEST(AspiTransportRequests, PrepareOpenAndCloseSendNothing) {
    OpenedDrive setup;
    auto transport = setup.Open();
    const std::size_t before = setup.Sent();
    EXPECT_EQ(transport->Prepare(), 1);
    EXPECT_EQ(transport->current.imageSize, 0x20000u);
    transport->Close();
    DeviceRecord gone = RecordFor(5, 9);
    std::strcpy(gone.vendorId, "GONE");
    EXPECT_EQ(transport->Open(gone), 1) << "Open succeeds for any record";
    EXPECT_EQ(std::memcmp(&transport->current, &gone, sizeof gone), 0);
    EXPECT_EQ(setup.Sent(), before);
    EXPECT_EQ(transport->TestUnitReady(), 0) << "the first command to a missing drive fails";
}

TEST(AspiTransportRequests, VendorDownloadSendsTheBlockWithItsOwnEvent) {
    OpenedDrive setup(SlowDriveAt(1, 3));
    auto transport = setup.Open();
    const auto image = setup.drive.image();
    const std::uint8_t* block = image.data();
    const std::uint16_t blockSum = byteSum16(block, kBlockSize);
    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    ASSERT_EQ(transport->VendorDownload(block, 1, blockSum, kBlockSize, imageSum), 1);

    auto request = setup.LastRequest();
    ExpectedExec want{1,     3,     0x50, kBlockSize, block, setup.library.lastEvent(),
                      {0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, static_cast<std::uint8_t>(blockSum >> 8),
                       static_cast<std::uint8_t>(blockSum), static_cast<std::uint8_t>(imageSum >> 8),
                       static_cast<std::uint8_t>(imageSum), 0x01, 0x08}};
    EXPECT_NE(want.event, nullptr);
    EXPECT_TRUE(SameBytes(want.Build(), request.srb));
    EXPECT_EQ(request.data, std::vector<std::uint8_t>(block, block + kBlockSize));
    EXPECT_EQ(setup.library.calls(), (std::vector<std::string>{"load wnaspi32.dll", "find GetASPI32SupportInfo",
                                                                "find SendASPI32Command", "support-info",
                                                                "create-event", "reset-event", "send", "wait",
                                                                "close-event"}));
    EXPECT_EQ(setup.library.eventsOpen(), 0);
}

TEST(AspiTransportRequests, VendorDownloadCompletedWithinTheCallIsJudgedWithoutWaiting) {
    OpenedDrive setup;
    setup.library.aspi().SetCompleteWithinCall(true);
    auto transport = setup.Open();
    const auto image = setup.drive.image();
    EXPECT_EQ(transport->VendorDownload(image.data(), 1, byteSum16(image.data(), kBlockSize), kBlockSize,
                                        byteSum16(image.data(), image.size())),
              1);
    const auto calls = setup.library.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "wait"), 0);
    EXPECT_EQ(setup.library.eventsCreated(), 1);
    EXPECT_EQ(setup.library.eventsOpen(), 0);
}

TEST(AspiTransportRequests, VendorDownloadClosesItsEventOnEveryEndAndSendsNothingWithout) {
    const std::uint8_t block[kBlockSize] = {};
    {
        SCOPED_TRACE("refused block: check condition");
        sim::DriveConfig config = DriveAt(1, 3);
        config.refuseFromBlock = 1;
        OpenedDrive setup(config);
        auto transport = setup.Open();
        EXPECT_EQ(transport->VendorDownload(block, 1, 0, kBlockSize, 0), 0);
        EXPECT_EQ(setup.library.eventsCreated(), 1);
        EXPECT_EQ(setup.library.eventsOpen(), 0);
    }
    {
        SCOPED_TRACE("wait failed after completion");
        Faults faults;
        faults.waitFault = Faults::WaitFault::FailAfterSignal;
        OpenedDrive setup(SlowDriveAt(1, 3), faults);
        auto transport = setup.Open();
        EXPECT_EQ(transport->VendorDownload(block, 1, 0, kBlockSize, 0), 0);
        const auto calls = setup.library.calls();
        EXPECT_EQ(calls[calls.size() - 2], "wait");
        EXPECT_EQ(setup.library.eventsOpen(), 0);
        EXPECT_FALSE(transport->lastCommand().abandoned);
    }
    {
        SCOPED_TRACE("no event: nothing sent");
        Faults faults;
        faults.eventCreationFails = true;
        OpenedDrive setup(DriveAt(1, 3), faults);
        auto transport = setup.Open();
        const std::size_t before = setup.Sent();
        EXPECT_EQ(transport->VendorDownload(block, 1, 0, kBlockSize, 0), 0);
        EXPECT_EQ(setup.Sent(), before);
        EXPECT_EQ(transport->TestUnitReady(), 1) << "the transport stays usable";
    }
}

TEST(AspiTransportRequests, CheckConditionOnModeSenseLeavesTheFlag) {
    sim::SimulatedMachine machine;
    machine.AddDrive(DriveAt(0, 0));
    sim::DriveConfig failing = DriveAt(0, 1);
    failing.modeSenseFails = true;
    machine.AddDrive(failing);
    sim::DriveConfig cdWriter = DriveAt(0, 2);
    cdWriter.capability11 = 0x01;
    machine.AddDrive(cdWriter);
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);

    transport.Open(RecordFor(0, 0));
    ASSERT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 1);
    transport.Open(RecordFor(0, 1));
    EXPECT_EQ(transport.ModeSense(), 0);
    EXPECT_EQ(transport.dvdRomOnly, 1);
    transport.Open(RecordFor(0, 2));
    ASSERT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 0);
}

TEST(AspiTransportRequests, FailedInquiryLeavesTheCurrentRecord) {
    OpenedDrive setup;
    auto transport = setup.Open();
    ASSERT_EQ(transport->Inquiry(), 1);
    const DeviceRecord before = transport->current;
    transport->current.targetId = 7;  // nobody there
    EXPECT_EQ(transport->Inquiry(), 0);
    EXPECT_EQ(std::memcmp(transport->current.identity, before.identity, sizeof before.identity), 0);
}

TEST(AspiTransportCompletion, PollsAfterTheCallUntilTheDriveHasAnswered) {
    OpenedDrive setup(SlowDriveAt(1, 3));
    auto transport = setup.Open();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transport->TestUnitReady(), 1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(49));
    EXPECT_GT(setup.library.pauses(), 1) << "the processor is given up between reads";
}

TEST(AspiTransportCompletion, ARequestThatNeverCompletesFailsWithinTheBound) {
    sim::DriveConfig stuck = DriveAt(1, 3);
    stuck.neverCompleteCommand = 1;
    OpenedDrive setup(stuck);
    {
        auto transport = setup.Open(150);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(transport->TestUnitReady(), 0);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(149)) << "the bound is counted in whole clock ticks";
        EXPECT_LT(took, std::chrono::seconds(10));
        EXPECT_TRUE(transport->lastCommand().abandoned);

        const std::size_t before = setup.Sent();
        EXPECT_EQ(transport->TestUnitReady(), 0);
        EXPECT_EQ(setup.Sent(), before) << "nothing more goes to a manager that holds a request";
        // The program keeps such a transport to its end; here the manager
        // is done with the block before the transport goes.
        setup.library.aspi().WaitUntilIdle();
    }
    EXPECT_EQ(setup.library.modulesLoaded(), 1) << "not released while it may still run the request";
}

TEST(AspiTransportCompletion, AVendorDownloadThatNeverCompletesFailsWithinTheBound) {
    sim::DriveConfig stuck = DriveAt(1, 3);
    stuck.neverCompleteCommand = 1;
    OpenedDrive setup(stuck);
    auto transport = setup.Open(150);
    const std::uint8_t block[kBlockSize] = {};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(transport->VendorDownload(block, 1, 0, kBlockSize, 0), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(transport->lastCommand().abandoned);
    // ASPI still holds the request that names the event: it stays open.
    EXPECT_EQ(setup.library.eventsOpen(), 1);
    setup.library.aspi().WaitUntilIdle();
}

// The event set while the request is still pending (a stray signal, or a
// manager that sets it early): ASPI still owns the block, so the request is
// abandoned as if it had run out of time, not judged and reused.
TEST(AspiTransportCompletion, AnEventSetWhileTheRequestIsPendingAbandonsIt) {
    Faults faults;
    faults.waitFault = Faults::WaitFault::SignalledAtOnce;
    OpenedDrive setup(SlowDriveAt(1, 3), faults);
    auto transport = setup.Open();
    const std::uint8_t block[kBlockSize] = {};
    EXPECT_EQ(transport->VendorDownload(block, 1, 0, kBlockSize, 0), 0);
    EXPECT_TRUE(transport->lastCommand().abandoned);
    EXPECT_EQ(setup.library.eventsOpen(), 1) << "the manager may still set it";

    const std::size_t before = setup.Sent();
    EXPECT_EQ(transport->TestUnitReady(), 0);
    EXPECT_EQ(setup.Sent(), before) << "the block still queued is not reused";
    EXPECT_TRUE(transport->lastCommand().abandoned) << "every command after it says so too";
    // The late completion lands in the transport's block, which is still there.
    setup.library.aspi().WaitUntilIdle();
    EXPECT_EQ(setup.library.lateSignals(), 0);
}

// Requests completed by the manager's own thread while the transport builds
// the next one into the same block, many times over: each polled command
// succeeds, and each vendor download (refused: its block sum is wrong)
// sets the event its own request named while that event is still open. (A
// manager that still read the block after publishing the status would see
// the next request's fields; the ThreadSanitizer build reports that race.)
TEST(AspiTransportCompletion, BackToBackRequestsThroughTheCompletionThreadStayApart) {
    OpenedDrive setup;
    auto transport = setup.Open();
    const std::uint8_t block[kBlockSize] = {};
    constexpr int kRounds = 200;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(transport->TestUnitReady(), 1) << round;
        ASSERT_EQ(transport->Inquiry(), 1) << round;
        ASSERT_EQ(transport->VendorDownload(block, 1, 0x1234, kBlockSize, 0), 0) << round;
    }
    setup.library.aspi().WaitUntilIdle();
    EXPECT_EQ(setup.library.eventsCreated(), kRounds);
    EXPECT_EQ(setup.library.eventsOpen(), 0);
    EXPECT_EQ(setup.library.lateSignals(), 0);
    EXPECT_FALSE(transport->lastCommand().abandoned);
}

}  // namespace
