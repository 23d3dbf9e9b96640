#pragma once
// A simulated ASPI for Win32 manager over a simulated machine: the host
// adapters and drives of the machine answer SC_HA_INQUIRY and
// SC_EXEC_SCSI_CMD requests in the published request layouts.
//
// Like a real manager it completes a SCSI request in its own context after
// SendASPI32Command has returned: a worker thread waits out the drive's
// latency, runs the command on the drive, fills the request block and only
// then writes SRB_Status (and sets the request's event when it asked for
// one). A host adapter inquiry and a request it refuses complete within
// the call. Every request received is recorded for tests.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "device/aspi_srb.h"
#include "simulated_machine.h"


namespace sim {

class SimulatedAspi {
public:
    // Sets the event named by SRB_PostProc of a request with
    // SRB_EVENT_NOTIFY, from the manager's context.
    using EventSignaller = std::function<void(void* event)>;

    // One request as it arrived.
    struct ReceivedRequest {
        std::uint8_t command = 0;         // SRB_Cmd
        std::vector<std::uint8_t> srb;    // the request block's bytes at the call
        // SRB_BufLen bytes at SRB_BufPointer at the call, for a SCSI
        // request with a buffer: the data sent, or what the data-in
        // buffer held before the drive filled it.
        std::vector<std::uint8_t> data;
    };

    // `machine` must outlive the manager.
    SimulatedAspi(SimulatedMachine& machine, EventSignaller signalEvent);
    // Stops the worker. Requests it has not completed by then never complete.
    ~SimulatedAspi();
    SimulatedAspi(const SimulatedAspi&) = delete;
    SimulatedAspi& operator=(const SimulatedAspi&) = delete;

    // GetASPI32SupportInfo: SS_COMP << 8 | the host adapter count, or
    // SS_NO_ADAPTERS << 8 when the machine has none. Adapters are numbered
    // 0 up to the highest configured id; numbers in between that have no
    // configuration answer SS_INVALID_HA.
    std::uint32_t SupportInfo() const;
    // SendASPI32Command: returns the request's status at return, which for
    // an accepted SCSI request is SS_PENDING.
    std::uint32_t Send(void* srb);

    // Tests: complete SCSI requests within the call instead of afterwards.
    void SetCompleteWithinCall(bool withinCall);
    // Tests: waits until the worker has nothing left to do (requests that
    // never complete count as done).
    void WaitUntilIdle();

    std::vector<ReceivedRequest> requests() const;
    std::size_t requestCount() const;

private:
    // A SCSI request accepted for execution.
    struct ScsiRequest {
        aspi::SRB_ExecSCSICmd* srb;
        ScsiTarget* target;  // null: nobody answers at that address
    };

    const AdapterConfig* AdapterById(std::uint8_t id) const;
    std::uint8_t AdapterCount() const;
    std::uint32_t AnswerAdapterInquiry(aspi::SRB_HAInquiry& inquiry);
    std::uint32_t AcceptScsiRequest(aspi::SRB_ExecSCSICmd& srb);
    void Record(const void* srb, std::size_t size, const std::uint8_t* data, std::size_t dataLength);
    // Runs the command on its target and writes the outcome into the
    // request block, SRB_Status last.
    void Complete(const ScsiRequest& request);
    void WorkerLoop();
    // Waits `ms` on the worker; false when the manager is stopping.
    bool WorkerDelay(std::uint32_t ms);

    SimulatedMachine& machine_;
    const EventSignaller signalEvent_;

    mutable std::mutex recordMutex_;
    std::vector<ReceivedRequest> requests_;

    std::mutex queueMutex_;
    std::condition_variable queueChanged_;
    std::deque<ScsiRequest> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    bool completeWithinCall_ = false;
    std::thread worker_;
};

}  // namespace sim
