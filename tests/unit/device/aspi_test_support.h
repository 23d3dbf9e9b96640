#pragma once
// Helpers for the ASPI tests: simulated machines with drives at given
// addresses, the SCSI requests the simulated manager received, and a
// byte-for-byte comparison of request blocks that names the differing
// offsets.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/aspi_srb.h"
#include "simulated_aspi.h"

#include "simulated_machine.h"


namespace aspi_test {

inline sim::DriveConfig DriveAt(std::uint8_t adapter, std::uint8_t target) {
    sim::DriveConfig config;
    config.adapter = adapter;
    config.target = target;
    return config;
}

inline sim::AdapterConfig Adapter(std::uint8_t id, std::uint8_t haUniqueByte3,
                                  sim::AdapterConfig::Inquiry inquiry = sim::AdapterConfig::Inquiry::Ok) {
    sim::AdapterConfig adapter;
    adapter.id = id;
    adapter.haUniqueByte3 = haUniqueByte3;
    adapter.inquiry = inquiry;
    return adapter;
}

inline aspi::SRB_ExecSCSICmd AsExec(const sim::SimulatedAspi::ReceivedRequest& request) {
    aspi::SRB_ExecSCSICmd srb;
    EXPECT_EQ(request.srb.size(), sizeof srb);
    std::memset(&srb, 0, sizeof srb);
    std::memcpy(&srb, request.srb.data(), std::min(request.srb.size(), sizeof srb));
    return srb;
}

// The SCSI requests received, in order.
inline std::vector<sim::SimulatedAspi::ReceivedRequest> ScsiRequests(const sim::SimulatedAspi& aspi) {
    std::vector<sim::SimulatedAspi::ReceivedRequest> scsi;
    for (const auto& request : aspi.requests())
        if (request.command == aspi::SC_EXEC_SCSI_CMD) scsi.push_back(request);
    return scsi;
}

// (adapter, target) of every INQUIRY received, in order.
inline std::vector<std::pair<int, int>> InquiryProbes(const sim::SimulatedAspi& aspi) {
    std::vector<std::pair<int, int>> probes;
    for (const auto& request : ScsiRequests(aspi)) {
        const aspi::SRB_ExecSCSICmd srb = AsExec(request);
        if (srb.CDBByte[0] == 0x12) probes.emplace_back(srb.SRB_HaId, srb.SRB_Target);
    }
    return probes;
}

inline std::vector<std::pair<int, int>> Targets(int adapter, int count) {
    std::vector<std::pair<int, int>> all;
    for (int target = 0; target < count; ++target) all.emplace_back(adapter, target);
    return all;
}

// Compares two request blocks byte for byte and names every offset that differs.
template <typename Srb>
::testing::AssertionResult SameBytes(const Srb& expected, const std::vector<std::uint8_t>& received) {
    if (received.size() != sizeof expected)
        return ::testing::AssertionFailure() << "received " << received.size() << " bytes, expected "
                                             << sizeof expected;
    const auto* want = reinterpret_cast<const std::uint8_t*>(&expected);
    std::string differences;
    for (std::size_t i = 0; i < sizeof expected; ++i)
        if (want[i] != received[i])
            differences += " [0x" + ::testing::PrintToString(i) + "] want " + std::to_string(want[i]) + " got " +
                           std::to_string(received[i]) + ";";
    if (differences.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "request bytes differ:" << differences;
}

// The request block the transport must send for one SCSI command; fields
// not given stay zero.
struct ExpectedExec {
    std::uint8_t adapter = 0, target = 0, flags = 0;
    std::uint32_t bufferLength = 0;
    const void* buffer = nullptr;
    const void* event = nullptr;
    std::vector<std::uint8_t> cdb;

    aspi::SRB_ExecSCSICmd Build() const {
        aspi::SRB_ExecSCSICmd srb;
        std::memset(&srb, 0, sizeof srb);
        srb.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = adapter;
        srb.SRB_Flags = flags;
        srb.SRB_Target = target;
        srb.SRB_BufLen = bufferLength;
        srb.SRB_BufPointer = static_cast<std::uint8_t*>(const_cast<void*>(buffer));
        srb.SRB_SenseLen = 14;
        srb.SRB_CDBLen = static_cast<std::uint8_t>(cdb.size());
        srb.SRB_PostProc = const_cast<void*>(event);
        std::memcpy(srb.CDBByte, cdb.data(), cdb.size());
        return srb;
    }
};

}  // namespace aspi_test
