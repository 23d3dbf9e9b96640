// PassThroughTransport against the simulated NT storage stack: which
// volumes it opens and how, what it lists, and every request it sends,
// compared byte for byte with what the stack received.

#include "device/pass_through_transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "expected_header.h"

#include "nt_errors.h"

#include "simulated_machine.h"

#include "simulated_nt_storage.h"


namespace {

using platform::kFileShareRead;
using platform::kFileShareWrite;
using platform::kGenericRead;
using platform::kGenericWrite;

class PassThroughTransportTest : public ::testing::Test {
protected:
    // A KTX7724R05 at `letter`; its ASPI address is deliberately not 0/0 so
    // that an address leaking into a pass-through record would show.
    sim::SimulatedDrive& AddDrive(char letter, sim::DriveConfig config = {}) {
        config.letter = letter;
        config.adapter = 1;
        config.target = static_cast<std::uint8_t>(letter - 'A');
        return machine.AddDrive(config);
    }

    static DeviceRecord RecordFor(char letter) {
        DeviceRecord record{};
        record.driveLetter = letter;
        return record;
    }

    // Opens the drive at `letter` and forgets what the stack recorded so far.
    void OpenAndForget(PassThroughTransport& transport, char letter) {
        ASSERT_EQ(transport.Open(RecordFor(letter)), 1);
        openedHandle = storage.opens().back().handle;
        storage.ClearRecords();
    }

    // The one control call the stack received since the records were
    // cleared; null (and a failure) when there was not exactly one.
    const sim::SimulatedNtStorage::ControlCall* OnlyCall() {
        EXPECT_EQ(storage.calls().size(), 1u);
        return storage.calls().size() == 1 ? &storage.calls().front() : nullptr;
    }

    sim::SimulatedMachine machine;
    sim::SimulatedNtStorage storage{machine};
    // The volume handle the last OpenAndForget opened.
    platform::VolumeHandle openedHandle = platform::kInvalidVolumeHandle;

private:
};

bool AllZero(const DeviceRecord& record) {
    DeviceRecord zero;
    std::memset(&zero, 0, sizeof zero);
    return std::memcmp(&record, &zero, sizeof record) == 0;
}

std::string Field(const char* text, std::size_t width) { return std::string(text, width); }

// --- construction -----------------------------------------------------------

TEST_F(PassThroughTransportTest, DeviceMapDecidesInitialisation) {
    storage.SetScsiPortCount(3);
    PassThroughTransport present(storage, platform::VolumeAccess::ReadWrite);
    EXPECT_EQ(present.initOk, 1);
    EXPECT_EQ(present.adapterCount, 3u);
    EXPECT_TRUE(AllZero(present.current));
    EXPECT_EQ(present.dvdRomOnly, 0);

    storage.RemoveDeviceMap();
    PassThroughTransport missing(storage, platform::VolumeAccess::ReadWrite);
    EXPECT_EQ(missing.initOk, 0);

    storage.MakeDeviceMapUnreadable();
    PassThroughTransport unreadable(storage, platform::VolumeAccess::ReadWrite);
    EXPECT_EQ(unreadable.initOk, 0);

    // One read of the map per construction, and no volume touched.
    EXPECT_EQ(storage.deviceMapReads(), 3);
    EXPECT_TRUE(storage.opens().empty());
}

// --- enumeration -------------------------------------------------------------

TEST_F(PassThroughTransportTest, OnlyDriveOnEIsListedWithAddressZero) {
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);

    ASSERT_EQ(list.Count(), 1);
    const DeviceRecord& record = *list.RecordAt(0);
    EXPECT_EQ(record.driveLetter, 'E');
    EXPECT_EQ(record.hostAdapter, 0);
    EXPECT_EQ(record.targetId, 0);
    EXPECT_EQ(record.lun, 0);
    EXPECT_EQ(Field(record.vendorId, 9), std::string("TAVRINE \0", 9));
    EXPECT_EQ(Field(record.productId, 17), std::string("KTX7724R05      \0", 17));
    EXPECT_EQ(Field(record.productRevision, 7), std::string("P1.2\0\0\0", 7));
    EXPECT_EQ(Field(record.identity, 25), std::string("TAVRINE KTX7724R05      \0", 25));
    EXPECT_EQ(record.imageSize, 0x20000u);

    // Every letter C..Z was tried, in order, each through "\\.\X:".
    ASSERT_EQ(storage.opens().size(), 24u);
    for (std::size_t i = 0; i < 24; ++i)
        EXPECT_EQ(storage.opens()[i].name, std::string("\\\\.\\") + static_cast<char>('C' + i) + ":");
    // The drive got INQUIRY, then TEST UNIT READY twice; its handle was closed.
    ASSERT_EQ(storage.calls().size(), 3u);
    EXPECT_EQ(storage.calls()[0].header[expected::kPointers64 ? 36 : 28], 0x12);
    EXPECT_EQ(storage.calls()[1].header[6], 12);
    EXPECT_EQ(storage.calls()[2].header[6], 12);
    EXPECT_EQ(storage.openHandleCount(), 0u);
    ASSERT_EQ(storage.closes().size(), 1u);
    EXPECT_EQ(storage.closes()[0].result, 1);
    EXPECT_TRUE(AllZero(transport.current));
}

TEST_F(PassThroughTransportTest, DrivesAreListedInLetterOrder) {
    AddDrive('F');
    AddDrive('D');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);

    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.RecordAt(0)->driveLetter, 'D');
    EXPECT_EQ(list.RecordAt(1)->driveLetter, 'F');
    EXPECT_EQ(storage.openHandleCount(), 0u);
}

TEST_F(PassThroughTransportTest, HardDiskIsDroppedByItsInquiryAnswer) {
    machine.AddHardDisk('C');
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);

    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.RecordAt(0)->driveLetter, 'E');
    // C: opened and answered INQUIRY with good status, and was closed at once.
    ASSERT_FALSE(storage.calls().empty());
    const auto& disk = storage.calls().front();
    EXPECT_EQ(disk.handle, storage.opens()[0].handle);
    EXPECT_EQ(disk.result, 1);
    EXPECT_EQ(disk.scsiStatus, 0);
    EXPECT_EQ(storage.closes().front().handle, disk.handle);
    EXPECT_EQ(storage.openHandleCount(), 0u);
}

TEST_F(PassThroughTransportTest, DriveWithoutDiscIsListedAllTheSame) {
    sim::DriveConfig notReady;
    notReady.notReady = true;
    AddDrive('E', notReady);
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);

    ASSERT_EQ(list.Count(), 1);
    // Both TEST UNIT READY calls completed with check condition.
    ASSERT_EQ(storage.calls().size(), 3u);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(storage.calls()[i].result, 1);
        EXPECT_EQ(storage.calls()[i].scsiStatus, 2);
    }
    // And TestUnitReady itself reports that as failure.
    OpenAndForget(transport, 'E');
    EXPECT_EQ(transport.TestUnitReady(), 0);
    transport.Close();
}

class VolumeAccessTest : public PassThroughTransportTest,
                         public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(VolumeAccessTest, AccessAndSharingFollowTheMajorVersion) {
    const std::uint32_t major = GetParam();
    // NT 4.0 let pass-through requests through a read-only handle; start-up
    // chooses the access from the major version.
    if (major < 5) storage.SetPassThroughNeedsReadWrite(false);
    AddDrive('E');
    PassThroughTransport transport(storage, major < 5 ? platform::VolumeAccess::ReadOnly
                                                      : platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);
    ASSERT_EQ(list.Count(), 1);
    ASSERT_EQ(transport.Open(*list.RecordAt(0)), 1);
    transport.Close();

    const std::uint32_t access = major < 5 ? kGenericRead : kGenericRead | kGenericWrite;
    const std::uint32_t sharing = major < 5 ? kFileShareRead : kFileShareRead | kFileShareWrite;
    ASSERT_EQ(storage.opens().size(), 25u);
    for (const auto& open : storage.opens()) {
        EXPECT_EQ(open.access, access) << open.name;
        EXPECT_EQ(open.sharing, sharing) << open.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Nt4To2000AndLater, VolumeAccessTest, ::testing::Values(4u, 5u, 6u));

TEST_F(PassThroughTransportTest, UserWithoutVolumeRightsSeesNoDrives) {
    storage.SetWriteAccessAllowed(false);
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(storage.calls().empty());
    EXPECT_EQ(transport.Open(RecordFor('E')), 0);
    EXPECT_FALSE(transport.volumeOpen());
}

// --- Open and Close ------------------------------------------------------------

TEST_F(PassThroughTransportTest, OpenCopiesTheRecordEvenWhenTheVolumeCannotBeOpened) {
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceRecord record{};
    record.hostAdapter = 2;
    record.imageSize = 0x20000;
    std::memcpy(record.vendorId, "TAVRINE ", 8);
    record.driveLetter = 'Q';  // no volume there

    EXPECT_EQ(transport.Open(record), 0);
    EXPECT_EQ(std::memcmp(&transport.current, &record, sizeof record), 0);
    EXPECT_FALSE(transport.volumeOpen());
    ASSERT_EQ(storage.opens().size(), 1u);
    EXPECT_EQ(storage.opens()[0].name, "\\\\.\\Q:");
    EXPECT_EQ(storage.opens()[0].error, sim::nt_error::kFileNotFound);

    // Commands on the failed open fail; Close closes nothing.
    EXPECT_EQ(transport.TestUnitReady(), 0);
    EXPECT_EQ(storage.calls().back().error, sim::nt_error::kInvalidHandle);
    transport.Close();
    EXPECT_TRUE(storage.closes().empty());
}

TEST_F(PassThroughTransportTest, OpenRefusesLettersOutsideCToZWithoutTryingThem) {
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    for (char letter : {'\0', 'A', 'B', 'e', '['}) {
        DeviceRecord record = RecordFor(letter);
        record.targetId = 7;
        EXPECT_EQ(transport.Open(record), 0) << int(letter);
        EXPECT_EQ(std::memcmp(&transport.current, &record, sizeof record), 0);
    }
    EXPECT_TRUE(storage.opens().empty());
}

TEST_F(PassThroughTransportTest, AnOpenThatIsRefusedClosesTheVolumeOpenBefore) {
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    ASSERT_EQ(transport.Open(RecordFor('E')), 1);
    const platform::VolumeHandle handle = storage.opens().back().handle;

    EXPECT_EQ(transport.Open(RecordFor('A')), 0);
    EXPECT_FALSE(transport.volumeOpen());
    ASSERT_EQ(storage.closes().size(), 1u) << "the earlier volume is not left open";
    EXPECT_EQ(storage.closes()[0].handle, handle);
    transport.Close();
    EXPECT_EQ(storage.closes().size(), 1u);
}

TEST_F(PassThroughTransportTest, OpenedDriveReceivesTheCommandsUntilClose) {
    AddDrive('D');
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceList list;
    transport.Enumerate(list);
    ASSERT_EQ(list.Count(), 2);
    storage.ClearRecords();

    ASSERT_EQ(transport.Open(*list.RecordAt(1)), 1);
    EXPECT_EQ(std::memcmp(&transport.current, list.RecordAt(1), sizeof(DeviceRecord)), 0);
    const platform::VolumeHandle handle = storage.opens()[0].handle;
    EXPECT_TRUE(transport.volumeOpen());
    EXPECT_EQ(storage.opens()[0].name, "\\\\.\\E:");
    EXPECT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(storage.calls().back().handle, handle);

    transport.Close();
    EXPECT_FALSE(transport.volumeOpen());
    ASSERT_EQ(storage.closes().size(), 1u);
    EXPECT_EQ(storage.closes()[0].handle, handle);
    // A second Close does not close the stale value again.
    transport.Close();
    EXPECT_EQ(storage.closes().size(), 1u);
    EXPECT_EQ(transport.current.driveLetter, 'E');  // Close leaves the record
}

TEST_F(PassThroughTransportTest, DestroyingTheTransportClosesAnOpenVolume) {
    AddDrive('E');
    {
        PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
        ASSERT_EQ(transport.Open(RecordFor('E')), 1);
        EXPECT_EQ(storage.openHandleCount(), 1u);
    }
    EXPECT_EQ(storage.openHandleCount(), 0u);
}

// --- MODE SENSE and the DVD-ROM-only flag --------------------------------------

TEST_F(PassThroughTransportTest, ModeSenseSetsTheFlagOnlyWhenItSucceeds) {
    sim::DriveConfig cdWriter;
    cdWriter.capability11 = 0x01;
    sim::DriveConfig failing;
    failing.modeSenseFails = true;
    AddDrive('D');  // 08/00: DVD-ROM only
    AddDrive('E', cdWriter);
    AddDrive('F', failing);
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);

    OpenAndForget(transport, 'D');
    EXPECT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 1);
    transport.Close();

    OpenAndForget(transport, 'F');
    EXPECT_EQ(transport.ModeSense(), 0);
    EXPECT_EQ(storage.calls().back().result, 1);      // the call went through...
    EXPECT_EQ(storage.calls().back().scsiStatus, 2);  // ...with check condition
    EXPECT_EQ(transport.dvdRomOnly, 1);
    transport.Close();

    OpenAndForget(transport, 'E');
    EXPECT_EQ(transport.ModeSense(), 1);
    EXPECT_EQ(transport.dvdRomOnly, 0);
    transport.Close();
}

// --- every request, byte for byte ----------------------------------------------

TEST_F(PassThroughTransportTest, BufferedRequestsCarryEveryHeaderField) {
    AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);

    struct Case {
        const char* name;
        int (PassThroughTransport::*operation)();
        expected::Header header;
    };
    const std::vector<Case> cases = {
        {"INQUIRY", &PassThroughTransport::Inquiry,
         {6, 1, 512, 256, expected::kDataOffset, {0x12, 0x00, 0x00, 0x00, 0xC0, 0x00}}},
        {"TEST UNIT READY", &PassThroughTransport::TestUnitReady,
         {12, 1, 0, 256, expected::kDataOffset, std::vector<std::uint8_t>(12, 0)}},
        {"MODE SENSE", &PassThroughTransport::ModeSense,
         {10, 1, 100, 256, expected::kDataOffset, {0x5A, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenAndForget(transport, 'E');
        EXPECT_EQ((transport.*c.operation)(), 1);
        const auto* only = OnlyCall();
        ASSERT_NE(only, nullptr);
        const auto& call = *only;
        EXPECT_EQ(call.code, expected::kIoctlPassThrough);
        EXPECT_EQ(call.handle, openedHandle);
        // Input: the header alone. Output: up to the end of the data asked for.
        EXPECT_EQ(call.inLength, expected::kHeaderSize);
        EXPECT_EQ(call.outLength, expected::kDataOffset + c.header.transferLength);
        EXPECT_EQ(call.in, call.out);
        EXPECT_EQ(call.header, expected::HeaderBytes(c.header));
        transport.Close();
    }
}

TEST_F(PassThroughTransportTest, DirectRequestsCarryEveryHeaderFieldAndTheCallersBuffer) {
    sim::SimulatedDrive& drive = AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    std::vector<std::uint8_t> buffer(0x4000, 0xA5);
    std::uint8_t* data = buffer.data();

    struct Case {
        const char* name;
        std::function<int()> operation;
        expected::Header header;
    };
    const std::vector<Case> cases = {
        {"READ BUFFER mode 2", [&] { return transport.ReadBufferMode2(data, 0, 0x0010, 0x0020); },
         {10, 1, 0x20, 256, expected::AddressOf(data), {0x3C, 0x02, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x20, 0x00}}},
        {"READ BUFFER mode 1", [&] { return transport.ReadBufferMode1(data, 1, 0x4000, 0x4000); },
         {10, 1, 0x4000, 256, expected::AddressOf(data),
          {0x3C, 0x01, 0x01, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x01}}},
        {"WRITE BUFFER mode 7", [&] { return transport.WriteBufferMode7(data, 0, 0x0100, 0x0200); },
         {10, 0, 0x200, 256, expected::AddressOf(data),
          {0x3B, 0x07, 0x00, 0x00, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00}}},
        {"WRITE BUFFER mode 4", [&] { return transport.WriteBufferMode4(); },
         {10, 0, 0, 256, 0, {0x3B, 0x04, 0, 0, 0, 0, 0, 0, 0, 0}}},
        {"vendor download", [&] { return transport.VendorDownload(data, 1, 0x7E45, 0x4000, 0x0E89); },
         {12, 0, 0x4000, 25000, expected::AddressOf(data),
          {0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, 0x7E, 0x45, 0x0E, 0x89, 0x01, 0x08}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OpenAndForget(transport, 'E');
        const int result = c.operation();
        const auto* only = OnlyCall();
        ASSERT_NE(only, nullptr);
        const auto& call = *only;
        EXPECT_EQ(call.code, expected::kIoctlPassThroughDirect);
        EXPECT_EQ(call.handle, openedHandle);
        EXPECT_EQ(call.inLength, expected::kDirectSize);
        EXPECT_EQ(call.outLength, expected::kDirectSize);
        EXPECT_EQ(call.in, call.out);
        EXPECT_EQ(call.header, expected::HeaderBytes(c.header));
        EXPECT_TRUE(call.reachedTarget);
        // Success is exactly: the call succeeded and the status is good.
        EXPECT_EQ(result, call.result != 0 && call.scsiStatus == 0 ? 1 : 0);
        transport.Close();
    }
    // The vendor command reached the drive once (its sums do not fit the
    // data, so the drive refuses it; the request is what is checked here).
    EXPECT_EQ(drive.vendorCommandCount(), 1);
}

TEST_F(PassThroughTransportTest, DataTravelBothWaysThroughTheDirectForm) {
    sim::SimulatedDrive& drive = AddDrive('E');
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    ASSERT_EQ(transport.Open(RecordFor('E')), 1);

    // READ BUFFER mode 1 returns the drive's firmware, block 2 here.
    std::vector<std::uint8_t> block(0x4000, 0);
    ASSERT_EQ(transport.ReadBufferMode1(block.data(), 0, 0x4000, 0x4000), 1);
    const std::vector<std::uint8_t> image = drive.image();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + 0x4000));

    // WRITE BUFFER mode 7 stores bytes that READ BUFFER mode 2 gives back.
    std::vector<std::uint8_t> sent(64);
    for (std::size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<std::uint8_t>(i * 7 + 3);
    ASSERT_EQ(transport.WriteBufferMode7(sent.data(), 0, 0x20, 64), 1);
    std::vector<std::uint8_t> back(64, 0);
    ASSERT_EQ(transport.ReadBufferMode2(back.data(), 0, 0x20, 64), 1);
    EXPECT_EQ(back, sent);
    transport.Close();
}

}  // namespace
