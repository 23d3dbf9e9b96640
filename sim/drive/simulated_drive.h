#pragma once
// A simulated TAVRINE KTX7724R05: answers INQUIRY, TEST UNIT READY, MODE
// SENSE(10) for the capabilities page, READ BUFFER (modes 1 and 2), WRITE
// BUFFER (modes 4 and 7), the vendor download command and REQUEST SENSE
// (the sense of the last failure), misbehaves as its configuration's faults
// say, and writes one trace line per command.
// Execute may be called from any thread; commands run one at a time (a
// late answer holds the next command back, as a busy drive does).

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "download_session.h"

#include "drive_reply.h"

#include "drive_config.h"

#include "scsi_target.h"

#include "trace.h"


namespace sim {

class SimulatedDrive : public ScsiTarget {
public:
    // An empty `config.image` means the generated sample image. Throws
    // std::invalid_argument for an image of any other size than kImageSize.
    SimulatedDrive(DriveConfig config, Trace& trace);

    ScsiOutcome Execute(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
                        std::uint8_t* data, std::uint32_t length) override;
    std::uint32_t LatencyMs() const override { return config_.latencyMs; }

    const DriveConfig& config() const { return config_; }
    // "0:1" or "0:1 E:", as in the trace.
    const std::string& name() const { return name_; }
    // The 4-character revision the drive reports now.
    std::string revision() const;
    // The kImageSize-byte image the drive holds now.
    std::vector<std::uint8_t> image() const;
    // Vendor download commands the drive received (answered or not; not
    // those sent after it vanished).
    int vendorCommandCount() const;
    // Commands sent to the drive so far, the ones it no longer answers included.
    std::uint32_t commandCount() const;
    // True once a vanish-after fault has taken the drive away: it answers
    // nothing more, and a system would no longer offer a volume for it.
    bool vanished() const;

private:
    using Reply = DriveReply;
    Reply Dispatch(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction, std::uint8_t* data,
                   std::uint32_t length);
    Reply Inquiry(const std::uint8_t* cdb, DataDirection direction, std::uint8_t* data, std::uint32_t length);
    Reply TestUnitReady();
    Reply RequestSense(const std::uint8_t* cdb, DataDirection direction, std::uint8_t* data, std::uint32_t length);
    // The pending UNIT ATTENTION as a reply, if this command takes it.
    bool TakeUnitAttention(std::uint8_t opcode, Reply& reply);
    Reply ModeSense(const std::uint8_t* cdb, DataDirection direction, std::uint8_t* data, std::uint32_t length);
    Reply ReadBuffer(const std::uint8_t* cdb, DataDirection direction, std::uint8_t* data, std::uint32_t length);
    Reply WriteBuffer(const std::uint8_t* cdb, DataDirection direction, const std::uint8_t* data,
                      std::uint32_t length);
    Reply VendorDownload(const std::uint8_t* cdb, DataDirection direction, const std::uint8_t* data,
                         std::uint32_t length);

    const DriveConfig config_;
    const std::string name_;
    Trace& trace_;

    mutable std::mutex mutex_;
    std::string revision_;
    std::vector<std::uint8_t> image_;
    std::vector<std::uint8_t> dataBuffer_;  // what WRITE BUFFER mode 7 stored, READ BUFFER mode 2 returns
    DownloadSession download_;
    std::uint32_t commands_ = 0;
    int vendorCommands_ = 0;
    std::uint32_t blockRefusalsByFault_ = 0;
    SenseCode lastSense_;               // of the last command other than REQUEST SENSE
    bool unitAttentionPending_ = false;  // set by an install, with the unit-attention fault
};

}  // namespace sim
