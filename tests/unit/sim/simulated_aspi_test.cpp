// The simulated ASPI manager: what it answers, when it completes, and the
// machine the drop-in dll builds from its environment.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <thread>

#include "aspi_test_support.h"

#include "configured_machine.h"
#include "scratch_path.h"


namespace {

using aspi_test::Adapter;
using aspi_test::DriveAt;

aspi::SRB_ExecSCSICmd TestUnitReadyTo(std::uint8_t adapter, std::uint8_t target) {
    aspi::SRB_ExecSCSICmd srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    srb.SRB_HaId = adapter;
    srb.SRB_Target = target;
    srb.SRB_Flags = aspi::SRB_DIR_IN;
    srb.SRB_SenseLen = aspi::SENSE_LEN;
    srb.SRB_CDBLen = 12;
    return srb;
}

std::uint8_t StatusWhenDone(sim::SimulatedAspi& manager, const aspi::SRB_ExecSCSICmd& srb) {
    manager.WaitUntilIdle();
    return aspi::ReadStatus(srb.SRB_Status);
}

TEST(SimulatedAspi, CompletesARequestAfterTheCallHasReturned) {
    sim::SimulatedMachine machine;
    sim::DriveConfig slow = DriveAt(0, 1);
    slow.latencyMs = 50;
    machine.AddDrive(slow);
    void* signalled = nullptr;
    sim::SimulatedAspi manager(machine, [&](void* event) { signalled = event; });

    int event = 0;
    aspi::SRB_ExecSCSICmd srb = TestUnitReadyTo(0, 1);
    srb.SRB_Flags |= aspi::SRB_EVENT_NOTIFY;
    srb.SRB_PostProc = &event;
    EXPECT_EQ(manager.Send(&srb), aspi::SS_PENDING);
    EXPECT_EQ(aspi::ReadStatus(srb.SRB_Status), aspi::SS_PENDING);
    EXPECT_EQ(StatusWhenDone(manager, srb), aspi::SS_COMP);
    EXPECT_EQ(signalled, &event);
}

TEST(SimulatedAspi, ReportsEachEndOfACommandAsRealAspiDoes) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 4));
    machine.AddAdapter(Adapter(2, 4));
    sim::DriveConfig notReady = DriveAt(0, 1);
    notReady.notReady = true;
    machine.AddDrive(notReady);
    sim::DriveConfig stuck = DriveAt(0, 2);
    stuck.neverCompleteCommand = 1;
    machine.AddDrive(stuck);
    sim::SimulatedAspi manager(machine, nullptr);
    EXPECT_EQ(manager.SupportInfo(), 0x0103u) << "adapters 0..2, adapter 1 unconfigured";

    aspi::SRB_ExecSCSICmd check = TestUnitReadyTo(0, 1);
    manager.Send(&check);
    EXPECT_EQ(StatusWhenDone(manager, check), aspi::SS_ERR);
    EXPECT_EQ(check.SRB_TargStat, 0x02);
    EXPECT_EQ(check.SenseArea[0], 0x70);

    aspi::SRB_ExecSCSICmd nobody = TestUnitReadyTo(0, 3);
    manager.Send(&nobody);
    EXPECT_EQ(StatusWhenDone(manager, nobody), aspi::SS_ERR);
    EXPECT_EQ(nobody.SRB_HaStat, aspi::HASTAT_SEL_TO) << "selection time-out";

    aspi::SRB_ExecSCSICmd never = TestUnitReadyTo(0, 2);
    manager.Send(&never);
    EXPECT_EQ(StatusWhenDone(manager, never), aspi::SS_PENDING);

    aspi::SRB_ExecSCSICmd noAdapter = TestUnitReadyTo(1, 0);
    EXPECT_EQ(manager.Send(&noAdapter), aspi::SS_INVALID_HA);
    EXPECT_EQ(noAdapter.SRB_Status, aspi::SS_INVALID_HA) << "refused within the call";

    aspi::SRB_ExecSCSICmd noBuffer = TestUnitReadyTo(0, 1);
    noBuffer.SRB_BufLen = 16;
    EXPECT_EQ(manager.Send(&noBuffer), aspi::SS_INVALID_SRB);
    EXPECT_EQ(manager.requestCount(), 5u) << "every request is recorded";
}

TEST(SimulatedAspi, AnswersTheAdapterInquiryWithinTheCall) {
    sim::SimulatedMachine machine;
    machine.AddAdapter(Adapter(0, 16));
    machine.AddAdapter(Adapter(1, 0, sim::AdapterConfig::Inquiry::Invalid));
    sim::SimulatedAspi manager(machine, nullptr);

    aspi::SRB_HAInquiry inquiry;
    std::memset(&inquiry, 0, sizeof inquiry);
    inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
    EXPECT_EQ(manager.Send(&inquiry), aspi::SS_COMP);
    EXPECT_EQ(inquiry.HA_Count, 2);
    EXPECT_EQ(inquiry.HA_Unique[3], 16);

    inquiry.SRB_HaId = 1;
    EXPECT_EQ(manager.Send(&inquiry), aspi::SS_INVALID_HA);
    inquiry.SRB_HaId = 2;
    EXPECT_EQ(manager.Send(&inquiry), aspi::SS_INVALID_HA);
}

class ConfiguredMachine : public ::testing::Test {
protected:
    void TearDown() override {
        std::remove(config_.c_str());
        std::remove(trace_.c_str());
        std::remove(ownTrace_.c_str());
    }
    void WriteConfig(const std::string& text) { std::ofstream(config_) << text; }
    static std::vector<std::string> FileLines(const std::string& path) {
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Files of this process: the same tests of the other builds run beside it.
    const std::string config_ = ScratchPath("aspi_dll_machine.cfg");
    const std::string trace_ = ScratchPath("aspi_dll_fallback_trace.log");
    const std::string ownTrace_ = ScratchPath("aspi_dll_own_trace.log");
};

TEST_F(ConfiguredMachine, MissingOrMalformedConfigurationMeansNoAdaptersAndOneLineWhy) {
    {
        auto machine = sim::LoadConfiguredMachine("", trace_);
        sim::SimulatedAspi manager(*machine, nullptr);
        EXPECT_EQ(manager.SupportInfo(), 0xE800u);
        EXPECT_EQ(FileLines(trace_),
                  std::vector<std::string>{"wnaspi32: no adapters: KTX_SIM_CONFIG is not set"});
    }
    std::remove(trace_.c_str());
    WriteConfig("[drive]\nadapter = 0\ntarget = banana\n");
    {
        auto machine = sim::LoadConfiguredMachine(config_, trace_);
        EXPECT_EQ(sim::SimulatedAspi(*machine, nullptr).SupportInfo(), 0xE800u);
        const auto lines = FileLines(trace_);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].rfind("wnaspi32: no adapters: " + config_ + ":3:", 0), 0u) << lines[0];
    }
    std::remove(config_.c_str());
    auto missing = sim::LoadConfiguredMachine(config_, "");
    EXPECT_EQ(sim::SimulatedAspi(*missing, nullptr).SupportInfo(), 0xE800u);
    ASSERT_EQ(missing->trace().lines().size(), 1u);
    EXPECT_NE(missing->trace().lines()[0].find(config_), std::string::npos);
}

TEST_F(ConfiguredMachine, AnotherProgramIsNamedInTheTraceAndToldWhy) {
    std::string why = "stale";
    auto unset = sim::LoadConfiguredMachine("", trace_, "ktxupgrade_nt_sim", why);
    EXPECT_EQ(why, "KTX_SIM_CONFIG is not set");
    EXPECT_EQ(unset->trace().lines(),
              std::vector<std::string>{"ktxupgrade_nt_sim: no adapters: KTX_SIM_CONFIG is not set"});
    EXPECT_TRUE(unset->volumes().empty());

    WriteConfig("[drive]\nadapter = 0\ntarget = banana\n");
    auto malformed = sim::LoadConfiguredMachine(config_, "", "ktxupgrade_nt_sim", why);
    EXPECT_EQ(why.rfind(config_ + ":3:", 0), 0u) << why;
    EXPECT_TRUE(malformed->drives().empty());

    WriteConfig("[drive]\nadapter = 0\ntarget = 1\n");
    auto loaded = sim::LoadConfiguredMachine(config_, "", "ktxupgrade_nt_sim", why);
    EXPECT_TRUE(why.empty());
    EXPECT_NE(loaded->DriveAt(0, 1), nullptr);
}

TEST_F(ConfiguredMachine, TracesWhereTheConfigurationSaysOrElseToTheFallback) {
    WriteConfig("[drive]\nadapter = 1\ntarget = 2\n");
    auto machine = sim::LoadConfiguredMachine(config_, trace_);
    EXPECT_EQ(sim::SimulatedAspi(*machine, nullptr).SupportInfo(), 0x0102u);
    EXPECT_NE(machine->DriveAt(1, 2), nullptr);
    EXPECT_EQ(machine->trace().filePath(), trace_);

    const std::string ownName = ownTrace_.substr(ownTrace_.find_last_of("/\\") + 1);
    WriteConfig("trace = " + ownName + "\n[drive]\ntarget = 0\n");
    auto traced = sim::LoadConfiguredMachine(config_, trace_);
    EXPECT_EQ(traced->trace().filePath(), ownTrace_);
}

}  // namespace
