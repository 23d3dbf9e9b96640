// The two transports over one simulated machine: both list the same drives,
// and a drive's records differ only where the platforms address it (ASPI:
// adapter and target; pass-through: the drive letter).

#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "device/aspi_transport.h"
#include "device/pass_through_transport.h"
#include "simulated_aspi_library.h"

#include "simulated_machine.h"

#include "simulated_nt_storage.h"


namespace {

sim::DriveConfig Drive(std::uint8_t adapter, std::uint8_t target, char letter) {
    sim::DriveConfig config;
    config.adapter = adapter;
    config.target = target;
    config.letter = letter;
    return config;
}

TEST(TransportsAgree, SameDrivesSameRecordsButForTheAddress) {

    sim::SimulatedMachine machine;
    machine.AddDrive(Drive(0, 1, 'E'));
    sim::DriveConfig shortAnswer = Drive(0, 3, 'G');
    shortAnswer.inquiryLength = 36;  // the last two revision bytes stay 0
    shortAnswer.revision = "P1.1";
    machine.AddDrive(shortAnswer);
    sim::DriveConfig other = Drive(1, 0, 'D');
    other.vendor = "OTHERCO";
    other.product = "DVD-X 1";
    machine.AddDrive(other);
    machine.AddHardDisk('C');

    sim::SimulatedAspiLibrary aspiLibrary(machine);
    AspiTransport aspi(aspiLibrary);
    ASSERT_EQ(aspi.initOk, 1);
    DeviceList aspiList;
    aspi.Enumerate(aspiList);

    sim::SimulatedNtStorage storage(machine);
    PassThroughTransport passThrough(storage, platform::VolumeAccess::ReadWrite);
    ASSERT_EQ(passThrough.initOk, 1);
    DeviceList passThroughList;
    passThrough.Enumerate(passThroughList);

    ASSERT_EQ(aspiList.Count(), 3);
    ASSERT_EQ(passThroughList.Count(), 3);
    std::map<char, const DeviceRecord*> byLetter;
    for (int i = 0; i < passThroughList.Count(); ++i) {
        const DeviceRecord* record = passThroughList.RecordAt(i);
        EXPECT_EQ(record->hostAdapter, 0);
        EXPECT_EQ(record->targetId, 0);
        byLetter[record->driveLetter] = record;
    }
    for (int i = 0; i < aspiList.Count(); ++i) {
        const DeviceRecord& fromAspi = *aspiList.RecordAt(i);
        EXPECT_EQ(fromAspi.driveLetter, 0);
        const sim::SimulatedDrive* drive = machine.DriveAt(fromAspi.hostAdapter, fromAspi.targetId);
        ASSERT_NE(drive, nullptr);
        SCOPED_TRACE(drive->name());
        ASSERT_EQ(byLetter.count(drive->config().letter), 1u);
        // The pass-through record with the ASPI address put in and its
        // letter taken out must be the ASPI record, byte for byte.
        DeviceRecord adjusted = *byLetter[drive->config().letter];
        adjusted.hostAdapter = fromAspi.hostAdapter;
        adjusted.targetId = fromAspi.targetId;
        adjusted.driveLetter = 0;
        EXPECT_EQ(std::memcmp(&adjusted, &fromAspi, sizeof adjusted), 0);
        EXPECT_EQ(std::string(fromAspi.productRevision, 4), drive->config().revision);
    }
}

}  // namespace

namespace {

// Each transport hands on what the drive said of a command that failed:
// its status and the sense data the back end already fetched.
TEST(TransportsAgree, BothReportTheStatusAndSenseOfAFailedCommand) {
    sim::SimulatedMachine machine;
    sim::DriveConfig failing = Drive(0, 1, 'E');
    failing.modeSenseFails = true;
    machine.AddDrive(failing);

    sim::SimulatedAspiLibrary aspiLibrary(machine);
    AspiTransport aspi(aspiLibrary);
    sim::SimulatedNtStorage storage(machine);
    PassThroughTransport passThrough(storage, platform::VolumeAccess::ReadWrite);
    // The simulated NT storage returns no sense bytes; ASPI's area has the format.
    const struct {
        ScsiTransport* transport;
        bool senseExpected;
    } cases[] = {{&aspi, true}, {&passThrough, false}};
    for (const auto& c : cases) {
        ScsiTransport* transport = c.transport;
        DeviceList list;
        transport->Enumerate(list);
        ASSERT_EQ(list.Count(), 1);
        ASSERT_EQ(transport->Open(*list.RecordAt(0)), 1);
        EXPECT_EQ(transport->ModeSense(), 0);
        const CommandReport& report = transport->lastCommand();
        EXPECT_EQ(report.cdb[0], 0x5A);
        EXPECT_FALSE(report.good);
        EXPECT_TRUE(report.answered);
        EXPECT_EQ(report.scsiStatus, 0x02);
        if (c.senseExpected) {
            EXPECT_GE(report.senseLength, 14);
            EXPECT_EQ(report.sense[0] & 0x7F, 0x70);
        } else {
            EXPECT_EQ(report.senseLength, 0);
        }
        EXPECT_EQ(transport->TestUnitReady(), 1);
        EXPECT_TRUE(transport->lastCommand().good);
        transport->Close();
    }
}

}  // namespace
