#include "simulated_drive.h"


#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "device/command_set.h"
#include "drive_sum.h"
#include "hex_text.h"

#include "identity_data.h"

#include "sample_image.h"


namespace sim {
namespace {

using Reply = DriveReply;

// What the drive reports once it runs the firmware it received.
const char kInstalledRevision[] = "P1.3";

// The tool never sends REQUEST SENSE; the kernel's USB storage driver does,
// after every failed command (Bulk-Only carries no sense of its own).
constexpr std::uint8_t kOpRequestSense = 0x03;
constexpr std::size_t kFixedSenseLength = 18;

Reply Good(std::string note = {}) {
    Reply reply;
    reply.note = std::move(note);
    return reply;
}

Reply Check(std::string why, SenseCode sense = kInvalidFieldInCdb) {
    Reply reply;
    reply.outcome = ScsiOutcome::CheckCondition;
    reply.note = std::move(why);
    reply.sense = sense;
    return reply;
}

std::string SenseText(const SenseCode& sense) {
    return "sense " + HexBytes(&sense.key, 1) + "/" + HexBytes(&sense.asc, 1) + "/" + HexBytes(&sense.ascq, 1);
}

// Copies at most `length` bytes of `answer`, and no more than the CDB's
// allocation length, to the host.
Reply Answer(const std::vector<std::uint8_t>& answer, std::uint32_t allocation, std::uint8_t* data,
             std::uint32_t length) {
    const std::uint32_t count =
        std::min({static_cast<std::uint32_t>(answer.size()), allocation, length});
    std::copy(answer.begin(), answer.begin() + count, data);
    Reply reply;
    reply.returned = count;
    return reply;
}

// Whether a data-in command can hand its data over; empty when it can.
std::string DataInProblem(DataDirection direction, const std::uint8_t* data, std::uint32_t length) {
    if (length == 0) return {};
    if (direction != DataDirection::In) return "data-in command without a data-in phase";
    if (data == nullptr) return "no data buffer for " + std::to_string(length) + " bytes";
    return {};
}

std::uint32_t Big16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
std::uint32_t Big24(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 16) | Big16(p + 1); }

// READ BUFFER / WRITE BUFFER address a byte range of a buffer by buffer id
// and 24-bit offset: the id selects a 64 KiB window.
struct BufferRange {
    std::uint32_t start;
    std::uint32_t count;
};
BufferRange ReadBufferRange(const std::uint8_t* cdb) {
    return {(std::uint32_t{cdb[2]} << 16) + Big24(cdb + 3), Big24(cdb + 6)};
}

std::string RangeProblem(const BufferRange& range, std::size_t size) {
    if (range.start <= size && range.count <= size - range.start) return {};
    return "offset " + std::to_string(range.start) + " + length " + std::to_string(range.count) +
           " beyond the " + std::to_string(size) + "-byte buffer";
}

// The vendor command is 12 bytes; every other opcode has the length its
// group code gives (00h-1Fh six bytes, the kernel's PREVENT ALLOW MEDIUM
// REMOVAL among them).
std::size_t RequiredCdbLength(std::uint8_t opcode) {
    if (opcode == commands::kOpVendorDownload) return kVendorDownloadCdbLength;
    return opcode < 0x20 ? 6 : 10;
}

std::string DirectionText(DataDirection direction) {
    switch (direction) {
        case DataDirection::In: return "in";
        case DataDirection::Out: return "out";
        case DataDirection::None: break;
    }
    return "none";
}

// One trace line: who, which command, its data phase and how it ended.
// "0:1 E: #4 CDB FD 07 ... 01 08 | out 16384, sum 0x7E45 | good: block 1 of 8 accepted"
std::string TraceLine(const std::string& name, std::uint32_t sequence, const std::uint8_t* cdb, std::size_t cdbLength,
                      DataDirection direction, const std::uint8_t* data, std::uint32_t length, const Reply& reply) {
    std::string line = name + " #" + std::to_string(sequence) + " CDB " +
                       (cdb != nullptr ? HexBytes(cdb, cdbLength) : std::string("(none)")) + " | " +
                       DirectionText(direction) + " " + std::to_string(length);
    if (direction == DataDirection::Out && data != nullptr && length != 0)
        line += ", sum " + Hex16(DriveSum16(data, length));
    if (direction == DataDirection::In && length != 0) {
        line += ", " + std::to_string(reply.returned) + " returned";
        if (reply.returned != 0) line += ", sum " + Hex16(DriveSum16(data, reply.returned));
    }
    line += " | ";
    switch (reply.outcome) {
        case ScsiOutcome::Good: line += "good"; break;
        case ScsiOutcome::CheckCondition: line += "check"; break;
        case ScsiOutcome::NoDevice: line += "no answer"; break;
        case ScsiOutcome::NeverCompletes: line += "never completes"; break;
    }
    if (!reply.note.empty()) line += ": " + reply.note;
    return line;
}

}  // namespace

SimulatedDrive::SimulatedDrive(DriveConfig config, Trace& trace)
    : config_(std::move(config)), name_(DriveName(config_)), trace_(trace), revision_(config_.revision) {
    if (config_.image.empty()) {
        image_ = MakeSampleImage();
    } else if (config_.image.size() == kImageSize) {
        image_ = config_.image;
    } else {
        throw std::invalid_argument("drive " + name_ + ": image of " + std::to_string(config_.image.size()) +
                                    " bytes, expected " + std::to_string(kImageSize));
    }
    dataBuffer_.assign(kImageSize, 0);
}

std::string SimulatedDrive::revision() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return revision_;
}

std::vector<std::uint8_t> SimulatedDrive::image() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return image_;
}

int SimulatedDrive::vendorCommandCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return vendorCommands_;
}

std::uint32_t SimulatedDrive::commandCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
}

bool SimulatedDrive::vanished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_.vanishAfterCommand != 0 && commands_ >= config_.vanishAfterCommand;
}

ScsiOutcome SimulatedDrive::Execute(const std::uint8_t* cdb, std::size_t cdbLength, DataDirection direction,
                                    std::uint8_t* data, std::uint32_t length) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::uint32_t sequence = ++commands_;
    const std::string previousRevision = revision_;

    Reply reply;
    if (config_.vanishAfterCommand != 0 && sequence > config_.vanishAfterCommand) {
        reply.outcome = ScsiOutcome::NoDevice;
        reply.note = "fault: vanish-after " + std::to_string(config_.vanishAfterCommand);
    } else {
        if (cdb != nullptr && cdbLength != 0 && cdb[0] == commands::kOpVendorDownload) ++vendorCommands_;
        if (sequence == config_.neverCompleteCommand) {
            reply.outcome = ScsiOutcome::NeverCompletes;
            reply.note = "fault: never-complete " + std::to_string(config_.neverCompleteCommand);
        } else if (!TakeUnitAttention(cdb != nullptr && cdbLength != 0 ? cdb[0] : 0xFF, reply)) {
            reply = Dispatch(cdb, cdbLength, direction, data, length);
        }
    }
    const bool requestSense = cdb != nullptr && cdbLength != 0 && cdb[0] == kOpRequestSense;
    if (!requestSense) lastSense_ = reply.sense;

    if (reply.lateMs != 0) {
        // Said at once, so that whoever follows the trace knows the answer is pending.
        trace_.Write(name_ + " #" + std::to_string(sequence) + " answer held back " + std::to_string(reply.lateMs) +
                     " ms (fault: late-block)");
        std::this_thread::sleep_for(std::chrono::milliseconds(reply.lateMs));
    }
    trace_.Write(TraceLine(name_, sequence, cdb, cdbLength, direction, data, length, reply));

    if (reply.installed) {
        trace_.Write(name_ + " installed image sum " + Hex16(DriveSum16(image_.data(), image_.size())) +
                     ", revision " + previousRevision + " -> " + revision_);
        unitAttentionPending_ = config_.unitAttentionAfterInstall != DriveConfig::UnitAttention::None;
    }
    return reply.outcome;
}

bool SimulatedDrive::TakeUnitAttention(std::uint8_t opcode, Reply& reply) {
    // INQUIRY neither reports nor clears a unit attention; REQUEST SENSE
    // reports it as its sense.
    if (!unitAttentionPending_ || opcode == commands::kOpInquiry || opcode == kOpRequestSense) return false;
    unitAttentionPending_ = false;
    reply = config_.unitAttentionAfterInstall == DriveConfig::UnitAttention::PowerOn
                ? Check("unit attention: power on, reset (fault: unit-attention-after-install)", kPowerOnReset)
                : Check("unit attention: microcode has been changed (fault: unit-attention-after-install)",
                        kMicrocodeChanged);
    return true;
}

SimulatedDrive::Reply SimulatedDrive::Dispatch(const std::uint8_t* cdb, std::size_t cdbLength,
                                               DataDirection direction, std::uint8_t* data, std::uint32_t length) {
    if (cdb == nullptr || cdbLength == 0) return Check("empty CDB");
    const std::size_t required = RequiredCdbLength(cdb[0]);
    if (cdbLength < required)
        return Check("CDB of " + std::to_string(cdbLength) + " bytes, opcode " + Hex8(cdb[0]) + " needs " +
                     std::to_string(required));
    switch (cdb[0]) {
        case commands::kOpInquiry: return Inquiry(cdb, direction, data, length);
        case commands::kOpTestUnitReady: return TestUnitReady();
        case kOpRequestSense: return RequestSense(cdb, direction, data, length);
        case commands::kOpModeSense10: return ModeSense(cdb, direction, data, length);
        case commands::kOpReadBuffer: return ReadBuffer(cdb, direction, data, length);
        case commands::kOpWriteBuffer: return WriteBuffer(cdb, direction, data, length);
        case commands::kOpVendorDownload: return VendorDownload(cdb, direction, data, length);
        default: return Check("unsupported opcode " + Hex8(cdb[0]), kInvalidOpcode);
    }
}

SimulatedDrive::Reply SimulatedDrive::Inquiry(const std::uint8_t* cdb, DataDirection direction, std::uint8_t* data,
                                              std::uint32_t length) {
    if (cdb[1] & 0x01) return Check("vital product data pages not supported");
    const std::string problem = DataInProblem(direction, data, length);
    if (!problem.empty()) return Check(problem);
    return Answer(BuildInquiryData(config_, revision_), cdb[4], data, length);
}

SimulatedDrive::Reply SimulatedDrive::TestUnitReady() {
    if (config_.notReady) return Check("not ready (fault: not-ready)", kNotReady);
    return Good();
}

SimulatedDrive::Reply SimulatedDrive::RequestSense(const std::uint8_t* cdb, DataDirection direction,
                                                   std::uint8_t* data, std::uint32_t length) {
    const std::string problem = DataInProblem(direction, data, length);
    if (!problem.empty()) return Check(problem);
    SenseCode sense = lastSense_;
    if (unitAttentionPending_) {
        sense = config_.unitAttentionAfterInstall == DriveConfig::UnitAttention::PowerOn ? kPowerOnReset
                                                                                         : kMicrocodeChanged;
        unitAttentionPending_ = false;
    }
    // Fixed format, current error; additional length 10.
    std::vector<std::uint8_t> answer(kFixedSenseLength, 0);
    answer[0] = 0x70;
    answer[2] = sense.key;
    answer[7] = kFixedSenseLength - 8;
    answer[12] = sense.asc;
    answer[13] = sense.ascq;
    lastSense_ = SenseCode{};
    Reply reply = Answer(answer, cdb[4], data, length);
    reply.note = SenseText(sense);
    return reply;
}

SimulatedDrive::Reply SimulatedDrive::ModeSense(const std::uint8_t* cdb, DataDirection direction,
                                                std::uint8_t* data, std::uint32_t length) {
    if (config_.modeSenseFails) return Check("fault: mode-sense-fails");
    if ((cdb[2] & 0x3F) != commands::kCapabilitiesPage)
        return Check("mode page " + Hex8(cdb[2] & 0x3F) + " not supported");
    const std::string problem = DataInProblem(direction, data, length);
    if (!problem.empty()) return Check(problem);
    return Answer(BuildCapabilitiesModeData(config_), Big16(cdb + 7), data, length);
}

SimulatedDrive::Reply SimulatedDrive::ReadBuffer(const std::uint8_t* cdb, DataDirection direction,
                                                 std::uint8_t* data, std::uint32_t length) {
    const std::uint8_t mode = cdb[1] & 0x1F;
    if (mode != 0x01 && mode != 0x02) return Check("READ BUFFER mode " + std::to_string(mode) + " not supported");
    const std::string problem = DataInProblem(direction, data, length);
    if (!problem.empty()) return Check(problem);
    // Mode 1 reads the installed firmware, mode 2 the data buffer.
    const std::vector<std::uint8_t>& source = mode == 0x01 ? image_ : dataBuffer_;
    const BufferRange range = ReadBufferRange(cdb);
    const std::string outside = RangeProblem(range, source.size());
    if (!outside.empty()) return Check(outside);
    const std::vector<std::uint8_t> part(source.begin() + range.start, source.begin() + range.start + range.count);
    Reply reply = Answer(part, range.count, data, length);
    reply.note = (mode == 0x01 ? "firmware at " : "data buffer at ") + std::to_string(range.start);
    return reply;
}

SimulatedDrive::Reply SimulatedDrive::WriteBuffer(const std::uint8_t* cdb, DataDirection direction,
                                                  const std::uint8_t* data, std::uint32_t length) {
    const std::uint8_t mode = cdb[1] & 0x1F;
    if (mode == 0x04) {
        if (length != 0) return Check("WRITE BUFFER mode 4 carries no data here, got " + std::to_string(length));
        return Good("nothing to activate: firmware goes in through the vendor download only");
    }
    if (mode != 0x07) return Check("WRITE BUFFER mode " + std::to_string(mode) + " not supported");
    const BufferRange range = ReadBufferRange(cdb);
    if (range.count != 0 && (direction != DataDirection::Out || data == nullptr))
        return Check("WRITE BUFFER without a data-out phase");
    if (range.count != length)
        return Check("data length " + std::to_string(length) + " != CDB length " + std::to_string(range.count));
    const std::string outside = RangeProblem(range, dataBuffer_.size());
    if (!outside.empty()) return Check(outside);
    std::copy(data, data + length, dataBuffer_.begin() + range.start);
    return Good("kept in the data buffer at " + std::to_string(range.start) + ", not installed");
}

SimulatedDrive::Reply SimulatedDrive::VendorDownload(const std::uint8_t* cdb, DataDirection direction,
                                                     const std::uint8_t* data, std::uint32_t length) {
    // Faults act before the drive looks at the command.
    const std::uint8_t block = ReadVendorDownloadFields(cdb).blockNumber;
    if (config_.refuseFromBlock != 0 && block >= config_.refuseFromBlock)
        return Check("fault: refuse-from-block " + std::to_string(config_.refuseFromBlock));
    if (config_.refuseBlock != 0 && block == config_.refuseBlock &&
        blockRefusalsByFault_ < config_.refuseBlockTimes) {
        ++blockRefusalsByFault_;
        return Check("fault: refuse-block " + std::to_string(config_.refuseBlock) + " (" +
                     std::to_string(blockRefusalsByFault_) + " of " + std::to_string(config_.refuseBlockTimes) +
                     ")");
    }

    DownloadSession::Result result = download_.Receive(cdb, direction == DataDirection::Out, data, length);
    Reply reply = result.accepted ? Good(result.message) : Check(result.message);
    if (config_.lateBlock != 0 && block == config_.lateBlock) {
        reply.lateMs = config_.lateBlockMs;
        reply.note += " (answered " + std::to_string(reply.lateMs) + " ms late: fault: late-block)";
    }
    if (!result.accepted) return reply;
    if (result.installed) {
        image_ = std::move(result.installedImage);
        revision_ = kInstalledRevision;
        reply.installed = true;
    }
    return reply;
}

}  // namespace sim
