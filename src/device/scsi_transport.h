#pragma once
// The one way the tool reaches a drive. The twelve operations are written
// once, here, over one send operation that each transport implements for
// its platform (ASPI for Win32 on Windows 95/98, the NT SCSI pass-through);
// a transport itself only starts its back end, lists drives (Enumerate),
// opens and closes the drive of a record, and sends one command.
//
// Every operation returns 1 for success and 0 for failure, except Enumerate
// and Close (no result) and Prepare (always 1). Each command addresses
// `current`.

#include <cstdint>

#include "device/command_report.h"
#include "device/command_set.h"
#include "device/device_list.h"
#include "device/device_record.h"
#include "platform/fixed_text.h"

class ScsiTransport {
public:
    ScsiTransport();
    virtual ~ScsiTransport();
    ScsiTransport(const ScsiTransport&) = delete;
    ScsiTransport& operator=(const ScsiTransport&) = delete;

    // What each transport does its own way.
    virtual void Enumerate(DeviceList& list) = 0;
    virtual int Open(const DeviceRecord& record) = 0;
    virtual void Close() = 0;

    // The commands, the same for every transport.
    int Inquiry();
    int Prepare();
    int ModeSense();
    int ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length);
    int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset, std::uint16_t length);
    int WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                         std::uint16_t length);
    int WriteBufferMode4();
    int TestUnitReady();
    int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                       std::uint16_t length, std::uint16_t imageSum);

    // Locks and dismounts the volume of the open drive, so that neither a
    // program nor the file system reaches the drive during the download (the
    // NT pass-through); the lock ends with Close. NotApplicable where the
    // transport reaches no volume.
    enum class VolumeLock { NotApplicable, Locked, Refused };
    virtual VolumeLock LockVolume() { return VolumeLock::NotApplicable; }

    // The last request (a command, or an Open) and what the drive and the
    // system said of it (see CommandReport: its refusal and abandoned).
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
    // What the drive and the system said of the command being sent; each
    // transport's Send fills it from the request it had back. An Open that
    // the system refused starts a report of its own (no command bytes).
    CommandReport& report() { return lastCommand_; }

    // Sends `command` to the device `current` names and waits for it.
    // `data` is the caller's buffer of command.transferLength bytes (read
    // for data-out, written for data-in), or null: then a data-in command
    // lands in the transport's own reply area (see Reply). 1 when the
    // command completed with good status.
    virtual int Send(const commands::Command& command, std::uint8_t* data) = 0;
    // The transport's reply area: where the last command sent without a
    // caller's buffer left its data (at least kReplyLength bytes).
    virtual const std::uint8_t* Reply() const = 0;

    void ZeroCurrent();
    // Replaces the current record with a whole copy of `record`.
    void CopyToCurrent(const DeviceRecord& record);
    // The command set's form of the commands that differ between back ends.
    virtual commands::Backend backend() const = 0;

private:
    // Send, with the report begun before and completed after it.
    int Issue(const commands::Command& command, std::uint8_t* data);

    CommandReport lastCommand_;
    CommandObserver* observer_ = nullptr;
};
