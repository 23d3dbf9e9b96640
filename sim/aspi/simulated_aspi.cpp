#include "simulated_aspi.h"


#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>

namespace sim {

namespace {

constexpr std::uint8_t kAdapterScsiId = 7;
constexpr std::uint32_t kMaxTransferLength = 0x10000;
constexpr std::uint8_t kStatusCheckCondition = 0x02;
// Fixed-format sense data, current error; the simulated drives give no
// sense key of their own, so only the format is filled in.
constexpr std::uint8_t kSenseResponseCode = 0x70;
constexpr std::size_t kFixedSenseHeader = 8;

void CopyName(std::uint8_t (&field)[16], const char* name) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, name, std::min(std::strlen(name), sizeof field));
}

DataDirection DirectionOf(std::uint8_t flags) {
    if (flags & aspi::SRB_DIR_IN) return DataDirection::In;
    if (flags & aspi::SRB_DIR_OUT) return DataDirection::Out;
    return DataDirection::None;
}

}  // namespace

SimulatedAspi::SimulatedAspi(SimulatedMachine& machine, EventSignaller signalEvent)
    : machine_(machine), signalEvent_(std::move(signalEvent)) {
    worker_ = std::thread([this] { WorkerLoop(); });
}

SimulatedAspi::~SimulatedAspi() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        stopping_ = true;
    }
    queueChanged_.notify_all();
    worker_.join();
}

const AdapterConfig* SimulatedAspi::AdapterById(std::uint8_t id) const {
    for (const AdapterConfig& adapter : machine_.adapters())
        if (adapter.id == id) return &adapter;
    return nullptr;
}

std::uint8_t SimulatedAspi::AdapterCount() const {
    unsigned count = 0;
    for (const AdapterConfig& adapter : machine_.adapters()) count = std::max(count, adapter.id + 1u);
    return static_cast<std::uint8_t>(std::min(count, 0xFFu));
}

std::uint32_t SimulatedAspi::SupportInfo() const {
    const std::uint8_t count = AdapterCount();
    if (count == 0) return static_cast<std::uint32_t>(aspi::SS_NO_ADAPTERS) << 8;
    return (static_cast<std::uint32_t>(aspi::SS_COMP) << 8) | count;
}

void SimulatedAspi::SetCompleteWithinCall(bool withinCall) {
    std::lock_guard<std::mutex> lock(queueMutex_);
    completeWithinCall_ = withinCall;
}

void SimulatedAspi::WaitUntilIdle() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueChanged_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::vector<SimulatedAspi::ReceivedRequest> SimulatedAspi::requests() const {
    std::lock_guard<std::mutex> lock(recordMutex_);
    return requests_;
}

std::size_t SimulatedAspi::requestCount() const {
    std::lock_guard<std::mutex> lock(recordMutex_);
    return requests_.size();
}

void SimulatedAspi::Record(const void* srb, std::size_t size, const std::uint8_t* data, std::size_t dataLength) {
    ReceivedRequest request;
    const auto* bytes = static_cast<const std::uint8_t*>(srb);
    request.command = bytes[0];
    request.srb.assign(bytes, bytes + size);
    if (data && dataLength) request.data.assign(data, data + dataLength);
    std::lock_guard<std::mutex> lock(recordMutex_);
    requests_.push_back(std::move(request));
}

std::uint32_t SimulatedAspi::Send(void* srb) {
    if (!srb) return aspi::SS_INVALID_SRB;
    const std::uint8_t command = static_cast<const std::uint8_t*>(srb)[0];
    if (command == aspi::SC_HA_INQUIRY) {
        auto& inquiry = *static_cast<aspi::SRB_HAInquiry*>(srb);
        Record(&inquiry, sizeof inquiry, nullptr, 0);
        return AnswerAdapterInquiry(inquiry);
    }
    if (command == aspi::SC_EXEC_SCSI_CMD) {
        auto& request = *static_cast<aspi::SRB_ExecSCSICmd*>(srb);
        Record(&request, sizeof request, request.SRB_BufPointer, request.SRB_BufPointer ? request.SRB_BufLen : 0);
        return AcceptScsiRequest(request);
    }
    // Every request block starts with the same 8-byte header.
    auto* header = static_cast<std::uint8_t*>(srb);
    Record(header, 8, nullptr, 0);
    aspi::WriteStatus(header[1], aspi::SS_INVALID_CMD);
    return aspi::SS_INVALID_CMD;
}

std::uint32_t SimulatedAspi::AnswerAdapterInquiry(aspi::SRB_HAInquiry& inquiry) {
    const AdapterConfig* adapter = AdapterById(inquiry.SRB_HaId);
    std::uint8_t status = aspi::SS_COMP;
    if (inquiry.SRB_HaId >= AdapterCount() || !adapter || adapter->inquiry == AdapterConfig::Inquiry::Invalid) {
        status = aspi::SS_INVALID_HA;
    } else if (adapter->inquiry == AdapterConfig::Inquiry::Error) {
        status = aspi::SS_ERR;
    } else {
        inquiry.HA_Count = AdapterCount();
        inquiry.HA_SCSI_ID = kAdapterScsiId;
        CopyName(inquiry.HA_ManagerId, "KTX SIM ASPI");
        CopyName(inquiry.HA_Identifier, "KTX SIM ADAPTER");
        std::memset(inquiry.HA_Unique, 0, sizeof inquiry.HA_Unique);
        // Bytes 0-1: buffer alignment mask (none); byte 2: no residual
        // count; byte 3: targets; bytes 4-7: largest transfer.
        inquiry.HA_Unique[3] = adapter->haUniqueByte3;
        for (int i = 0; i < 4; ++i)
            inquiry.HA_Unique[4 + i] = static_cast<std::uint8_t>(kMaxTransferLength >> (8 * i));
    }
    aspi::WriteStatus(inquiry.SRB_Status, status);
    return status;
}

std::uint32_t SimulatedAspi::AcceptScsiRequest(aspi::SRB_ExecSCSICmd& srb) {
    const AdapterConfig* adapter = AdapterById(srb.SRB_HaId);
    if (srb.SRB_HaId >= AdapterCount() || !adapter || adapter->inquiry == AdapterConfig::Inquiry::Invalid) {
        aspi::WriteStatus(srb.SRB_Status, aspi::SS_INVALID_HA);
        return aspi::SS_INVALID_HA;
    }
    const bool bothDirections = (srb.SRB_Flags & aspi::SRB_DIR_IN) && (srb.SRB_Flags & aspi::SRB_DIR_OUT);
    const bool bufferMissing = srb.SRB_BufLen != 0 && srb.SRB_BufPointer == nullptr;
    const bool badCdb = srb.SRB_CDBLen == 0 || srb.SRB_CDBLen > sizeof srb.CDBByte;
    const bool eventMissing = (srb.SRB_Flags & aspi::SRB_EVENT_NOTIFY) && srb.SRB_PostProc == nullptr;
    if (bothDirections || bufferMissing || badCdb || eventMissing) {
        aspi::WriteStatus(srb.SRB_Status, aspi::SS_INVALID_SRB);
        return aspi::SS_INVALID_SRB;
    }

    // Only LUN 0 of a target holds a drive.
    ScsiRequest request{&srb, srb.SRB_Lun == 0 ? machine_.DriveAt(srb.SRB_HaId, srb.SRB_Target) : nullptr};
    aspi::WriteStatus(srb.SRB_Status, aspi::SS_PENDING);

    std::unique_lock<std::mutex> lock(queueMutex_);
    if (completeWithinCall_) {
        lock.unlock();
        if (request.target && request.target->LatencyMs())
            std::this_thread::sleep_for(std::chrono::milliseconds(request.target->LatencyMs()));
        Complete(request);
        return aspi::ReadStatus(srb.SRB_Status);
    }
    queue_.push_back(request);
    lock.unlock();
    queueChanged_.notify_all();
    return aspi::SS_PENDING;
}

void SimulatedAspi::Complete(const ScsiRequest& request) {
    aspi::SRB_ExecSCSICmd& srb = *request.srb;
    const ScsiOutcome outcome =
        request.target ? request.target->Execute(srb.CDBByte, srb.SRB_CDBLen, DirectionOf(srb.SRB_Flags),
                                                 srb.SRB_BufPointer, srb.SRB_BufLen)
                       : ScsiOutcome::NoDevice;
    std::uint8_t status = aspi::SS_COMP;
    switch (outcome) {
        case ScsiOutcome::Good:
            srb.SRB_HaStat = aspi::HASTAT_OK;
            srb.SRB_TargStat = 0;
            break;
        case ScsiOutcome::CheckCondition: {
            srb.SRB_HaStat = aspi::HASTAT_OK;
            srb.SRB_TargStat = kStatusCheckCondition;
            const std::size_t senseLength = std::min<std::size_t>(srb.SRB_SenseLen, sizeof srb.SenseArea);
            std::memset(srb.SenseArea, 0, senseLength);
            if (senseLength > 0) srb.SenseArea[0] = kSenseResponseCode;
            if (senseLength > 7 && senseLength > kFixedSenseHeader)
                srb.SenseArea[7] = static_cast<std::uint8_t>(senseLength - kFixedSenseHeader);
            status = aspi::SS_ERR;
            break;
        }
        case ScsiOutcome::NoDevice:
            // A real bus reports an absent target as a selection time-out.
            srb.SRB_HaStat = aspi::HASTAT_SEL_TO;
            status = aspi::SS_ERR;
            break;
        case ScsiOutcome::NeverCompletes:
            return;  // SRB_Status stays SS_PENDING, no event is set
    }
    // The requester may read the data as soon as it sees the status.
    std::atomic_thread_fence(std::memory_order_release);
    aspi::WriteStatus(srb.SRB_Status, status);
    if ((srb.SRB_Flags & aspi::SRB_EVENT_NOTIFY) && signalEvent_) signalEvent_(srb.SRB_PostProc);
}

bool SimulatedAspi::WorkerDelay(std::uint32_t ms) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    if (ms) queueChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
    return !stopping_;
}

void SimulatedAspi::WorkerLoop() {
    std::unique_lock<std::mutex> lock(queueMutex_);
    for (;;) {
        queueChanged_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        const ScsiRequest request = queue_.front();
        queue_.pop_front();
        busy_ = true;
        lock.unlock();

        if (WorkerDelay(request.target ? request.target->LatencyMs() : 0)) Complete(request);

        lock.lock();
        busy_ = false;
        queueChanged_.notify_all();
    }
}

}  // namespace sim
