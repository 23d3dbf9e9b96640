// AspiTransport construction and enumeration over the simulated ASPI manager.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "aspi_test_support.h"

#include "device/aspi_transport.h"
#include "simulated_aspi_library.h"


namespace {

using aspi_test::Adapter;
using aspi_test::DriveAt;
using aspi_test::InquiryProbes;
using aspi_test::Targets;
using Faults = sim::SimulatedAspiLibrary::Faults;
using Inquiry = sim::AdapterConfig::Inquiry;

bool Called(const sim::SimulatedAspiLibrary& library, const std::string& call) {
    const auto calls = library.calls();
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

TEST(AspiTransportStart, SupportInfo0102GivesTwoAdaptersAndKeepsTheLibrary) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 0));
    machine.AddAdapter(Adapter(1, 0));
    sim::SimulatedAspiLibrary library(machine);
    ASSERT_EQ(library.aspi().SupportInfo(), 0x0102u);
    {
        AspiTransport transport(library);
        EXPECT_EQ(transport.initOk, 1);
        EXPECT_EQ(transport.adapterCount, 2u);
        EXPECT_EQ(library.modulesLoaded(), 1);
        EXPECT_EQ(library.calls(), (std::vector<std::string>{"load wnaspi32.dll", "find GetASPI32SupportInfo",
                                                              "find SendASPI32Command", "support-info"}));
    }
    EXPECT_EQ(library.modulesLoaded(), 0) << "released with the transport";
}

// Every way the start can fail leaves initOk 0, the library released, and
// a transport that sends nothing, whatever it is asked.
void ExpectFailedStart(sim::SimulatedMachine& machine, Faults faults) {
    sim::SimulatedAspiLibrary library(machine, faults);
    AspiTransport transport(library);
    EXPECT_EQ(transport.initOk, 0);
    EXPECT_EQ(library.modulesLoaded(), 0);

    DeviceList list;
    transport.Enumerate(list);
    std::uint8_t block[16] = {};
    EXPECT_EQ(transport.Inquiry(), 0);
    EXPECT_EQ(transport.TestUnitReady(), 0);
    EXPECT_EQ(transport.VendorDownload(block, 1, 0, sizeof block, 0), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(library.aspi().requestCount(), 0u);
    EXPECT_FALSE(Called(library, "send"));
    EXPECT_FALSE(Called(library, "create-event"));
    for (const std::string& call : library.calls()) EXPECT_NE(call.rfind("bad", 0), 0u) << call;
    if (faults.supportInfoEntryMissing || faults.sendCommandEntryMissing) {
        EXPECT_FALSE(Called(library, "support-info")) << "no call before both entries are found";
    }
}

TEST(AspiTransportStart, EveryFailedStartReleasesTheLibraryAndSendsNothing) {
    sim::SimulatedMachine withDrive;
    withDrive.AddDrive(DriveAt(0, 0));
    {
        SCOPED_TRACE("library absent");
        Faults absent;
        absent.libraryAbsent = true;
        ExpectFailedStart(withDrive, absent);
    }
    {
        SCOPED_TRACE("GetASPI32SupportInfo missing");
        Faults missing;
        missing.supportInfoEntryMissing = true;
        ExpectFailedStart(withDrive, missing);
    }
    {
        SCOPED_TRACE("SendASPI32Command missing");
        Faults missing;
        missing.sendCommandEntryMissing = true;
        ExpectFailedStart(withDrive, missing);
    }
    {
        SCOPED_TRACE("E800h: no adapters");
        sim::SimulatedMachine empty;
        sim::SimulatedAspiLibrary probe(empty);
        EXPECT_EQ(probe.aspi().SupportInfo(), 0xE800u);
        ExpectFailedStart(empty, Faults());
    }
}

TEST(AspiTransportEnumerate, HaUniqueByteThreeGivesTheTargetsProbed) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 0));   // 0 means 8
    machine.AddAdapter(Adapter(1, 2));
    machine.AddAdapter(Adapter(2, 16));
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    DeviceList list;
    transport.Enumerate(list);

    auto expected = Targets(0, 8);
    for (auto probe : Targets(1, 2)) expected.push_back(probe);
    for (auto probe : Targets(2, 16)) expected.push_back(probe);
    EXPECT_EQ(InquiryProbes(library.aspi()), expected);
    EXPECT_EQ(list.Count(), 0);
}

TEST(AspiTransportEnumerate, InvalidAdapterProbesNoneAndOtherStatusKeepsThePreviousCount) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 5, Inquiry::Error));    // no count yet: 0
    machine.AddAdapter(Adapter(1, 3));
    machine.AddAdapter(Adapter(2, 6, Inquiry::Error));    // keeps 3
    machine.AddAdapter(Adapter(3, 4, Inquiry::Invalid));  // SS_INVALID_HA: none
    machine.AddAdapter(Adapter(4, 7, Inquiry::Error));    // keeps 0
    machine.AddDrive(DriveAt(2, 2));
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    ASSERT_EQ(transport.adapterCount, 5u);
    DeviceList list;
    transport.Enumerate(list);

    auto expected = Targets(1, 3);
    for (auto probe : Targets(2, 3)) expected.push_back(probe);
    EXPECT_EQ(InquiryProbes(library.aspi()), expected);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.RecordAt(0)->hostAdapter, 2);
    EXPECT_EQ(list.RecordAt(0)->targetId, 2);
}

TEST(AspiTransportEnumerate, ListsDrivesByAdapterThenTargetAndZeroesTheCurrentRecord) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 4));
    machine.AddAdapter(Adapter(1, 2));
    sim::DriveConfig notReady = DriveAt(1, 1);
    notReady.notReady = true;
    notReady.product = "KTX7724R05 B";
    machine.AddDrive(notReady);  // listed all the same
    machine.AddDrive(DriveAt(0, 3));
    sim::DriveConfig disk = DriveAt(0, 2);
    disk.peripheral = 0x00;
    machine.AddDrive(disk);  // not a CD/DVD device: dropped
    sim::DriveConfig qualified = DriveAt(0, 0);
    qualified.peripheral = 0x25;  // qualifier 1, type 5: accepted
    machine.AddDrive(qualified);

    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    DeviceList list;
    transport.Enumerate(list);

    const std::pair<int, int> expected[] = {{0, 0}, {0, 3}, {1, 1}};
    ASSERT_EQ(list.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const DeviceRecord& record = *list.RecordAt(i);
        EXPECT_EQ(record.hostAdapter, expected[i].first);
        EXPECT_EQ(record.targetId, expected[i].second);
        EXPECT_EQ(record.lun, 0);
        EXPECT_EQ(record.driveLetter, 0);
        EXPECT_EQ(record.imageSize, 0x20000u);
        EXPECT_STREQ(record.vendorId, "TAVRINE ");
        EXPECT_EQ(std::string(record.productRevision, 4), "P1.2");
    }
    EXPECT_STREQ(list.RecordAt(2)->productId, "KTX7724R05 B    ");

    // Each accepted drive got INQUIRY, then TEST UNIT READY twice.
    std::vector<int> toFirstDrive;
    for (const auto& request : aspi_test::ScsiRequests(library.aspi())) {
        const auto srb = aspi_test::AsExec(request);
        if (srb.SRB_HaId == 0 && srb.SRB_Target == 0) toFirstDrive.push_back(srb.CDBByte[0]);
    }
    EXPECT_EQ(toFirstDrive, (std::vector<int>{0x12, 0x00, 0x00}));

    DeviceRecord zero;
    std::memset(&zero, 0, sizeof zero);
    EXPECT_EQ(std::memcmp(&transport.current, &zero, sizeof zero), 0);
}

TEST(AspiTransportEnumerate, AdapterInquiryIsSentZeroFilledForEachAdapter) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 1));
    machine.AddAdapter(Adapter(1, 1));
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    DeviceList list;
    transport.Enumerate(list);

    std::vector<std::vector<std::uint8_t>> inquiries;
    for (const auto& request : library.aspi().requests())
        if (request.command == aspi::SC_HA_INQUIRY) inquiries.push_back(request.srb);
    ASSERT_EQ(inquiries.size(), 2u);
    for (std::uint8_t adapter = 0; adapter < 2; ++adapter) {
        aspi::SRB_HAInquiry expected;
        std::memset(&expected, 0, sizeof expected);
        expected.SRB_Cmd = aspi::SC_HA_INQUIRY;
        expected.SRB_HaId = adapter;
        EXPECT_TRUE(aspi_test::SameBytes(expected, inquiries[adapter])) << "adapter " << int(adapter);
    }
}

}  // namespace
