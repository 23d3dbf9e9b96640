#include "device/sg_io_transport.h"

#include <cstring>

#include "device/command_report_text.h"

namespace sgio {

void SgIoTransport::Enumerate(DeviceList& list) {
    DevicePath paths[kMaxKeptPaths];
    const std::size_t count = devices_.List(paths, kMaxKeptPaths);
    for (std::size_t i = 0; i < count; ++i) Probe(paths[i].text, list);
    ZeroCurrent();
}

DeviceError SgIoTransport::Probe(const char* path, DeviceList& list) {
    ZeroCurrent();
    lastError_ = DeviceError::None;
    lastErrno_ = 0;
    const int entry = KeepPath(path);
    if (entry < 0) return DeviceError::NoSuchDevice;
    const DeviceError opened = OpenScsiDevice(devices_, path, device_);
    if (opened != DeviceError::None) return opened;
    current.targetId = static_cast<std::uint8_t>(entry);

    const bool accepted = Inquiry() != 0;
    const DeviceError inquiryError = lastError_;
    if (accepted) {
        std::memcpy(kept_[entry].identity, current.identity, sizeof current.identity);
        ListCurrent(list);
    }
    device_.Close();
    ZeroCurrent();
    return inquiryError;
}

const char* SgIoTransport::PathOf(const DeviceRecord& record) const {
    // The entry the target id names, if the drive found there is the record's.
    if (record.hostAdapter != 0 || record.targetId >= keptCount_) return "";
    const KeptPath& entry = kept_[record.targetId];
    if (std::memcmp(entry.identity, record.identity, sizeof entry.identity) != 0) return "";
    return entry.path;
}

int SgIoTransport::Open(const DeviceRecord& record) {
    CopyToCurrent(record);
    lastError_ = DeviceError::None;
    lastErrno_ = 0;
    const char* path = PathOf(current);
    if (path[0] == '\0') {
        device_.Close();
        lastError_ = DeviceError::NoSuchDevice;
    } else {
        lastError_ = OpenScsiDevice(devices_, path, device_, exclusiveOpens_);
    }
    // The open's own report: no command; the system's words when it refused.
    report() = CommandReport{};
    NoteRefusal();
    return lastError_ == DeviceError::None ? 1 : 0;
}

int SgIoTransport::Send(const commands::Command& command, std::uint8_t* data) {
    report().carrier = CommandCarrier::SgIo;
    if (stopped()) {
        // Not sent: what the system said of the request it refused stands.
        report().systemError = lastErrno_;
        report().neverSent = true;
        report().deviceGone = lastError_ == DeviceError::Gone;
        NoteRefusal();
        return 0;
    }
    if (command.usesReplyArea) {
        std::memset(reply_, 0, sizeof reply_);
        data = reply_;
    }
    const CommandOutcome outcome = SendCommand(device_, command, data);
    lastError_ = outcome.error;
    lastErrno_ = outcome.error != DeviceError::None ? static_cast<std::uint32_t>(devices_.LastSendErrno()) : 0;
    report().systemError = lastErrno_;
    // The kernel's command filter refuses before the request is queued.
    report().neverSent = outcome.error == DeviceError::NotPermitted || outcome.error == DeviceError::AccessDenied;
    NoteRefusal();
    if (outcome.error == DeviceError::None) {
        report().hostStatus = outcome.hostStatus;
        report().driverStatus = outcome.driverStatus;
        // A host or driver status of its own: the command ended on its way,
        // and the SCSI status byte says nothing of the drive.
        if (!TransportStatusFailed(report()))
            report().Answer(outcome.scsiStatus, outcome.sense, outcome.senseLength);
    }
    if (!outcome.succeeded) report().deviceGone = DeviceWentAway(outcome.error);
    return outcome.succeeded ? 1 : 0;
}

bool SgIoTransport::DeviceWentAway(DeviceError error) {
    if (error == DeviceError::Gone) return true;
    if (error == DeviceError::NotPermitted || error == DeviceError::AccessDenied) return false;
    // The drive's own answer: it is there.
    if (error == DeviceError::None && !TransportStatusFailed(report())) return false;
    // Looked at without sending anything.
    return !devices_.StillThere(PathOf(current));
}

void FillRequest(const commands::Command& command, void* data, unsigned char* sense, SgIoHeader& request) {
    std::memset(&request, 0, sizeof request);
    request.interface_id = kInterfaceId;
    if (command.transferLength == 0)
        request.dxfer_direction = kDxferNone;
    else
        request.dxfer_direction = command.direction == commands::Direction::In ? kDxferFromDev : kDxferToDev;
    request.cmd_len = command.cdbLength;
    request.mx_sb_len = kSenseLength;
    request.dxfer_len = command.transferLength;
    request.dxferp = command.transferLength == 0 ? nullptr : data;
    // The kernel only reads the CDB; the header's field is not const.
    request.cmdp = const_cast<unsigned char*>(command.cdb.data());
    request.sbp = sense;
    request.timeout = command.timeoutSeconds * 1000u;
}

bool RequestSucceeded(int ioctlResult, const SgIoHeader& request) {
    return ioctlResult == 0 && request.status == 0 && request.host_status == 0 && request.driver_status == 0;
}

CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data) {
    CommandOutcome outcome;
    SgIoHeader request;
    FillRequest(command, data, outcome.sense, request);
    outcome.error = device.Send(request);
    outcome.succeeded = RequestSucceeded(outcome.error == DeviceError::None ? 0 : -1, request);
    if (outcome.error == DeviceError::None) {
        outcome.scsiStatus = request.status;
        outcome.hostStatus = request.host_status;
        outcome.driverStatus = request.driver_status;
        outcome.senseLength = request.sb_len_wr < kSenseLength ? request.sb_len_wr : kSenseLength;
    }
    return outcome;
}

const char* DeviceErrorText(DeviceError error) {
    static const struct {
        DeviceError error;
        const char* text;
    } kTexts[] = {
        {DeviceError::None, ""},
        {DeviceError::NoDevices,
         "no SCSI generic devices (/dev/sg*): the sg driver is not loaded; load it with 'modprobe sg' as root"},
        {DeviceError::NoSuchDevice, "no such file; name a drive that --list shows (a /dev/sg* device)"},
        {DeviceError::IsDirectory, "is a directory, not a device; name a drive that --list shows (a /dev/sg* device)"},
        {DeviceError::AccessDenied,
         "permission denied: join the group that owns the device (see 'ls -l' of it), or run as root"},
        {DeviceError::NotPermitted,
         "the kernel refused the firmware command: only a process with CAP_SYS_RAWIO (root) may send firmware "
         "commands through SG_IO, while listing and saving work for the device's group; run as root to flash"},
        {DeviceError::Busy, "another program has the drive open (a mounted disc, a player, a burner): unmount the "
                            "disc or close that program and try again"},
        {DeviceError::Gone, "the device is gone (unplugged, powered off or its driver unbound); reconnect the drive "
                            "and find it again with --list"},
        {DeviceError::NotScsiGeneric, "not a SCSI generic device; name a drive that --list shows (a /dev/sg* device)"},
        {DeviceError::TransferTooLong,
         "the system refused the transfer before it reached the drive: it is longer than this device takes in one "
         "command (max_hw_sectors_kb of its queue in sysfs); connect the drive through another USB port or "
         "enclosure (some USB bridges are limited by a quirk)"},
    };
    for (const auto& entry : kTexts)
        if (entry.error == error) return entry.text;
    return "the system refused the request";
}

}  // namespace sgio
