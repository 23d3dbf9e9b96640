#include "device/aspi_transport.h"

#include <cstring>

// Completion bound. The ASPI protocol gives the requester no time limit, but
// a manager that never completes a request would hang the program for good,
// with a half-flashed drive and no message. So every request is bounded by
// the time-out the NT pass-through sends with the same command (256 s;
// 25,000 s for the vendor download), which no healthy drive comes near.
//
// A request that ran out of time is still ASPI's, which may complete it
// later into the request block, the sense area and the data buffer. So the
// block and the data area are members, not stack variables; nothing more is
// sent; the vendor download's event stays open (a closed handle value can
// be reused for another object); the library is not released at
// destruction; and the report says `abandoned`, so that callers keep their
// buffers until the program ends.

namespace {

// Passes that only give up the rest of the time slice before the poll
// starts sleeping a millisecond between reads: fast commands complete
// without added latency, slow ones cost no processor time.
constexpr unsigned kYieldOnlyPasses = 16;

constexpr std::uint32_t kMsPerSecond = 1000;

// Zero-fills `request` and fills it for `command` to `record`'s adapter and target.
void BuildRequest(aspi::SRB_ExecSCSICmd& request, const commands::Command& command, const DeviceRecord& record,
                  std::uint8_t flags, std::uint8_t lun, const std::uint8_t* buffer) {
    std::memset(&request, 0, sizeof request);
    request.SRB_Cmd = aspi::SC_EXEC_SCSI_CMD;
    request.SRB_Status = aspi::SS_PENDING;
    request.SRB_HaId = record.hostAdapter;
    request.SRB_Flags = flags;
    request.SRB_Target = record.targetId;
    request.SRB_Lun = lun;
    request.SRB_BufLen = command.transferLength;
    request.SRB_BufPointer = const_cast<std::uint8_t*>(buffer);
    request.SRB_SenseLen = aspi::SENSE_LEN;
    request.SRB_CDBLen = command.cdbLength;
    std::memcpy(request.CDBByte, command.cdb.data(), sizeof request.CDBByte);
}

// Polls SRB_Status; false when the bound ran out with the request pending.
bool PollUntilComplete(platform::AspiLibrary& library, const aspi::SRB_ExecSCSICmd& request, std::uint32_t boundMs) {
    const std::uint32_t start = library.TickMs();
    for (unsigned pass = 0;; ++pass) {
        // An acquire read: ASPI's data and sense writes are visible once
        // the outcome is (see aspi_srb.h).
        if (aspi::ReadStatus(request.SRB_Status) != aspi::SS_PENDING) return true;
        if (static_cast<std::uint32_t>(library.TickMs() - start) >= boundMs) return false;
        library.Pause(pass < kYieldOnlyPasses ? 0 : 1);
    }
}

// The outcome of a request ASPI completed, kept in `report`: 1 for SS_COMP.
int JudgeCompleted(const aspi::SRB_ExecSCSICmd& request, CommandReport& report) {
    const std::uint8_t status = aspi::ReadStatus(request.SRB_Status);
    // The target's status (and the sense with check condition) only when
    // the host adapter reports no failure of its own.
    const bool checkCondition = request.SRB_TargStat == 0x02;
    if (status == aspi::SS_COMP || (status == aspi::SS_ERR && request.SRB_HaStat == aspi::HASTAT_OK))
        report.Answer(request.SRB_TargStat, request.SenseArea, checkCondition ? aspi::SENSE_LEN : 0);
    report.requestStatus = status;
    report.hostStatus = request.SRB_HaStat;
    return status == aspi::SS_COMP ? 1 : 0;
}

}  // namespace

AspiTransport::AspiTransport(platform::AspiLibrary& library, std::uint32_t completionBoundMs)
    : library_(library), aspiLibrary_(nullptr, ReleaseModule{&library}), completionBoundMs_(completionBoundMs) {
    aspiLibrary_.Reset(library_.Load("wnaspi32.dll"));
    if (aspiLibrary_.valid()) {
        const auto supportInfoEntry = library_.FindEntry(aspiLibrary_.get(), "GetASPI32SupportInfo");
        sendCommandEntry_ = library_.FindEntry(aspiLibrary_.get(), "SendASPI32Command");
        if (supportInfoEntry && sendCommandEntry_) {
            const std::uint32_t info = library_.CallSupportInfo(supportInfoEntry);
            const std::uint8_t status = static_cast<std::uint8_t>((info >> 8) & 0xFF);
            if (status == aspi::SS_COMP) {
                adapterCount = info & 0xFF;
                initOk = 1;
            }
        }
        if (!initOk) {
            aspiLibrary_.Close();
            sendCommandEntry_ = nullptr;
        }
    }
}

void AspiTransport::Enumerate(DeviceList& list) {
    // A host adapter inquiry that ends neither SS_COMP nor SS_INVALID_HA
    // leaves the target count of the adapter before (0 before the first).
    unsigned targetCount = 0;
    for (std::uint32_t adapter = 0; adapter < adapterCount && CanSend(); ++adapter) {
        current.hostAdapter = static_cast<std::uint8_t>(adapter);

        // ASPI completes a host adapter inquiry within the call, so this
        // request block can live on the stack and be read at once.
        aspi::SRB_HAInquiry inquiry;
        std::memset(&inquiry, 0, sizeof inquiry);
        inquiry.SRB_Cmd = aspi::SC_HA_INQUIRY;
        inquiry.SRB_HaId = current.hostAdapter;
        library_.CallSendCommand(sendCommandEntry_, &inquiry);
        const std::uint8_t status = aspi::ReadStatus(inquiry.SRB_Status);
        if (status == aspi::SS_COMP) {
            const std::uint8_t maxTargets = inquiry.HA_Unique[3];
            targetCount = maxTargets == 0 ? 8 : maxTargets;
        } else if (status == aspi::SS_INVALID_HA) {
            targetCount = 0;
        }

        for (unsigned target = 0; target < targetCount; ++target) {
            current.targetId = static_cast<std::uint8_t>(target);
            if (Inquiry()) ListCurrent(list);
        }
    }
    ZeroCurrent();
}

int AspiTransport::Send(const commands::Command& command, std::uint8_t* data) {
    report().carrier = CommandCarrier::Aspi;
    if (command.usesReplyArea) {
        // INQUIRY and MODE SENSE land in the transport's own data area, zeroed
        // for each; TEST UNIT READY moves no data and sends no buffer.
        data = nullptr;
        if (command.transferLength > 0) {
            std::memset(dataBuffer_, 0, sizeof dataBuffer_);
            data = dataBuffer_;
        }
    }
    const std::uint32_t boundMs = completionBoundMs_ != kBoundFromCommand
                                      ? completionBoundMs_
                                      : command.timeoutSeconds * kMsPerSecond;  // at most 25,000,000: fits
    // The vendor download, whose flash write takes long, waits on an event;
    // every other command is polled.
    const int result = command.cdb[0] == commands::kOpVendorDownload ? ExecuteWithEvent(command, data, boundMs)
                                                                      : ExecutePolled(command, data, boundMs);
    report().abandoned = requestAbandoned_;
    return result;
}

int AspiTransport::ExecutePolled(const commands::Command& command, std::uint8_t* buffer, std::uint32_t boundMs) {
    if (!CanSend()) return 0;
    const std::uint8_t flags = command.direction == commands::Direction::In ? aspi::SRB_DIR_IN : aspi::SRB_DIR_OUT;
    BuildRequest(request_, command, current, flags, current.lun, buffer);
    library_.CallSendCommand(sendCommandEntry_, &request_);
    if (!PollUntilComplete(library_, request_, boundMs)) {
        requestAbandoned_ = true;
        return 0;
    }
    return JudgeCompleted(request_, report());
}

int AspiTransport::ExecuteWithEvent(const commands::Command& command, const std::uint8_t* buffer,
                                    std::uint32_t boundMs) {
    if (!CanSend()) return 0;
    // Closed by its owner on every way out but one (below).
    OwnedEvent event(nullptr, CloseEvent{&library_});
    event.Reset(library_.CreateManualResetEvent());
    if (!event.valid()) return 0;

    BuildRequest(request_, command, current, aspi::SRB_DIR_OUT | aspi::SRB_EVENT_NOTIFY, 0, buffer);
    request_.SRB_PostProc = event.get();
    library_.ResetEvent(event.get());
    library_.CallSendCommand(sendCommandEntry_, &request_);

    // A request that ASPI completed within the call is judged at once.
    if (aspi::ReadStatus(request_.SRB_Status) == aspi::SS_PENDING) {
        const auto waited = library_.WaitForEvent(event.get(), boundMs);
        if (aspi::ReadStatus(request_.SRB_Status) == aspi::SS_PENDING) {
            // Still ASPI's, however the wait ended (out of time, failed, a
            // stray signal): abandoned, its event left open (see the top).
            requestAbandoned_ = true;
            event.Abandon();
            return 0;
        }
        if (waited != platform::AspiLibrary::WaitResult::Signalled) return 0;
    }
    return JudgeCompleted(request_, report());
}
