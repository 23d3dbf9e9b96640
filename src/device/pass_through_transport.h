#pragma once
// The ScsiTransport of the Windows NT family: drives are reached through
// their drive-letter volumes ("\\.\E:") and every command is one
// DeviceIoControl. The short status commands travel inside a
// PassThroughRequest (IOCTL_SCSI_PASS_THROUGH) whose data area is the reply
// area; the others use a DirectRequest (IOCTL_SCSI_PASS_THROUGH_DIRECT) on
// the caller's buffer. The volume handle selects the drive.

#include <cstdint>

#include "device/command_set.h"
#include "platform/pass_through_records.h"
#include "device/scsi_transport.h"
#include "platform/owned_handle.h"
#include "platform/volume_service.h"

class PassThroughTransport : public ScsiTransport {
public:
    // initOk is 1 when the SCSI device map's subkey count could be read,
    // adapterCount holds it. `access`: how this system opens volumes.
    PassThroughTransport(platform::VolumeService& volumes, platform::VolumeAccess access);

    // Tries every letter C..Z and lists each volume that answers INQUIRY as
    // a CD/DVD device, in letter order; the current record ends up zero.
    void Enumerate(DeviceList& list) override;
    // Copies `record` into the current record, then opens its volume.
    int Open(const DeviceRecord& record) override;
    void Close() override { volume_.Close(); }
    // FSCTL_LOCK_VOLUME, then FSCTL_DISMOUNT_VOLUME, on the open volume.
    VolumeLock LockVolume() override;

    // The volume being probed (Enumerate) or the opened drive (Open..Close).
    bool volumeOpen() const { return volume_.valid(); }

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return reply_.data; }
    commands::Backend backend() const override { return commands::Backend::PassThrough; }

private:
    struct CloseVolume {
        platform::VolumeService* volumes;
        void operator()(platform::VolumeHandle handle) const { volumes->CloseVolume(handle); }
    };

    void OpenVolume(char letter);

    platform::VolumeService& volumes_;
    const platform::VolumeAccess access_;
    // Closed exactly once per open: never a handle value handed out again.
    OwnedHandle<platform::VolumeHandle, CloseVolume> volume_;
    passthrough::PassThroughRequest reply_{};
};
