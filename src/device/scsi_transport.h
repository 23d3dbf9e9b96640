#pragma once
// The one way the tool reaches a drive. The twelve operations are written
// once, here, over one send operation that each transport implements for
// its platform (ASPI, the NT pass-through, SG_IO); a transport itself only
// starts its back end, lists drives, opens and closes the drive of a
// record, and sends one command. Every operation returns 1 for success and
// 0 for failure, except Enumerate and Close (no result) and Prepare (always
// 1). Each command addresses `current`.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device/command_set.h"
#include "device/device_list.h"

// What happened to the last request a transport made of a drive (a
// command, or opening the drive: no bytes then) and what the drive and the
// system said of it. Every transport fills it from the request it already
// had back; nothing extra is asked of the drive. Fixed size: no heap.
enum class CommandCarrier : std::uint8_t { None, Aspi, PassThrough, SgIo };

// Sense bytes kept: the fixed format's first 18 (key, ASC, ASCQ and more).
constexpr std::uint8_t kKeptSenseLength = 18;
// Room for the system's words for a refusal, terminator included.
constexpr std::size_t kRefusalRoom = 160;

struct CommandReport {
    std::uint8_t cdb[16] = {};
    std::uint8_t cdbLength = 0;
    commands::Direction direction = commands::Direction::In;
    std::uint32_t length = 0;  // bytes of the data phase
    bool good = false;         // the transport judged it a success
    // The drive answered with a SCSI status (false: the request did not
    // reach a status, e.g. the system refused it or it timed out).
    bool answered = false;
    std::uint8_t scsiStatus = 0;
    std::uint8_t sense[kKeptSenseLength] = {};
    std::uint8_t senseLength = 0;
    // How the statuses below read. ASPI: requestStatus is SRB_Status,
    // hostStatus SRB_HaStat. SG_IO: the header's host_status and
    // driver_status. The NT pass-through has neither.
    CommandCarrier carrier = CommandCarrier::None;
    std::uint8_t requestStatus = 0;
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    // The system's error code when it did not carry the request (errno on
    // Linux, the error code on Windows); 0 when none was reported.
    std::uint32_t systemError = 0;
    // The request never left this computer: the system refused it before a
    // device could see it (no rights for it), or the transport had stopped
    // sending to the device. Whatever else failed may have reached the drive.
    bool neverSent = false;
    // After the failure the transport found, without sending anything, the
    // device no longer there: a further try cannot reach it (SG_IO only).
    bool deviceGone = false;
    // The transport gave up waiting for it, or sends nothing because it gave
    // up on an earlier one: that request may still be completed later into
    // the memory it names, a caller's data buffer included. The caller must
    // then keep such buffers, not free them, until the program ends.
    bool abandoned = false;
    // The system's words for why it refused the request (no rights for a
    // firmware command, a busy or vanished device); empty when it did not.
    char refusal[kRefusalRoom] = {};

    bool refused() const { return refusal[0] != '\0'; }
    // Sets `refusal` to `text`, cut to the room.
    void Refuse(const char* text) {
        std::size_t length = std::strlen(text);
        if (length >= kRefusalRoom) length = kRefusalRoom - 1;
        std::memcpy(refusal, text, length);
        refusal[length] = '\0';
    }
    // Starts the report of `command`: everything but its bytes cleared.
    void Begin(const commands::Command& command) {
        *this = CommandReport{};
        std::memcpy(cdb, command.cdb.data(), sizeof cdb);
        cdbLength = command.cdbLength;
        direction = command.direction;
        length = command.transferLength;
    }
    // The drive's SCSI status and the sense data it returned (`length` bytes,
    // at most kKeptSenseLength kept).
    void Answer(std::uint8_t status, const std::uint8_t* senseData, std::uint32_t length);
};

// Sees every command a transport sends as it starts (the report holds its
// bytes, nothing of its outcome yet) and once it has ended (ktxflash -v).
class CommandObserver {
public:
    virtual ~CommandObserver() = default;
    virtual void CommandStarts(const CommandReport& report) = 0;
    virtual void CommandEnded(const CommandReport& report) = 0;
};

class ScsiTransport {
public:
    ScsiTransport();
    virtual ~ScsiTransport() = default;
    ScsiTransport(const ScsiTransport&) = delete;
    ScsiTransport& operator=(const ScsiTransport&) = delete;

    virtual void Enumerate(DeviceList& list) = 0;
    virtual int Open(const DeviceRecord& record) = 0;
    virtual void Close() = 0;

    int Inquiry() {
        if (!Issue(commands::Inquiry(backend()), nullptr) || !commands::InquiryAccepted(Reply())) return 0;
        commands::CopyInquiryFields(Reply(), current);
        return 1;
    }
    int Prepare() {
        current.versionMajor = 0;
        current.versionMinor = 0;
        current.imageSize = kImageSize;
        return 1;
    }
    int ModeSense() {
        if (!Issue(commands::ModeSense(backend()), nullptr)) return 0;
        dvdRomOnly = commands::DvdRomOnlyFromModeSense(Reply());
        return 1;
    }
    int ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
        return Issue(commands::ReadBufferMode2(bufferId, offset, length), data);
    }
    int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length) {
        return Issue(commands::ReadBufferMode1(bufferId, offset, length), data);
    }
    // The platforms only read a data-out buffer, but their records carry a
    // pointer to writable memory; the data are not changed.
    int WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                         std::uint16_t length) {
        return Issue(commands::WriteBufferMode7(bufferId, offset, length), const_cast<std::uint8_t*>(data));
    }
    int WriteBufferMode4() { return Issue(commands::WriteBufferMode4(), nullptr); }
    int TestUnitReady() { return Issue(commands::TestUnitReady(), nullptr); }
    int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                       std::uint16_t length, std::uint16_t imageSum) {
        return Issue(commands::VendorDownload(blockNumber, blockSum, length, imageSum),
                     const_cast<std::uint8_t*>(data));
    }

    // Locks and dismounts the open drive's volume so that nothing else
    // reaches the drive during the download (NT pass-through); the lock ends
    // with Close. NotApplicable where the transport reaches no volume.
    enum class VolumeLock { NotApplicable, Locked, Refused };
    virtual VolumeLock LockVolume() { return VolumeLock::NotApplicable; }

    const CommandReport& lastCommand() const { return lastCommand_; }
    // Forgets it: what a caller explains afterwards is sent from now on.
    void ForgetLastCommand() { lastCommand_ = CommandReport{}; }
    // Sees every command once it has ended; null for none. Must outlive its use.
    void SetCommandObserver(CommandObserver* observer) { observer_ = observer; }

    // 1 when the implementation's constructor brought its back end up.
    std::int32_t initOk = 0;
    // ASPI: host adapters reported; pass-through: SCSI port entries.
    std::uint32_t adapterCount = 0;
    // The device every command addresses.
    DeviceRecord current;
    // Written only by a successful ModeSense: 1 for a drive that reads
    // DVD-ROM and writes neither CD-R nor CD-RW.
    std::int32_t dvdRomOnly = 0;

protected:
    // Send fills it for the command being sent; an Open the system refused
    // starts a report of its own (no command bytes).
    CommandReport& report() { return lastCommand_; }

    // Sends `command` to `current` and waits for it. `data` is the caller's
    // buffer of command.transferLength bytes, or null: then a data-in
    // command lands in Reply(). 1 when it completed with good status.
    virtual int Send(const commands::Command& command, std::uint8_t* data) = 0;
    virtual const std::uint8_t* Reply() const = 0;

    // After an accepted INQUIRY of the device `current` addresses: TEST UNIT
    // READY twice, results ignored (a drive without a disc answers check
    // condition and is listed all the same), Prepare, and the record listed.
    void ListCurrent(DeviceList& list);
    void ZeroCurrent() { std::memset(&current, 0, sizeof current); }
    // Replaces the current record with a whole copy of `record`.
    void CopyToCurrent(const DeviceRecord& record) { std::memcpy(&current, &record, sizeof current); }
    virtual commands::Backend backend() const = 0;

private:
    int Issue(const commands::Command& command, std::uint8_t* data);

    CommandReport lastCommand_;
    CommandObserver* observer_ = nullptr;
};
