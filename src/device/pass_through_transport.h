#pragma once
// The ScsiTransport of the Windows NT family: drives are reached through
// their drive-letter volumes ("\\.\E:") and every command is one
// DeviceIoControl. The short status commands (INQUIRY, TEST UNIT READY,
// MODE SENSE) travel inside a PassThroughRequest (IOCTL_SCSI_PASS_THROUGH)
// whose data area is the reply area; READ BUFFER, WRITE BUFFER and the
// vendor download command use a DirectRequest
// (IOCTL_SCSI_PASS_THROUGH_DIRECT) and leave the data in the caller's buffer.
// Adapter, target and LUN play no part in finding a drive: the volume
// handle selects it.

#include <cstdint>

#include "device/command_set.h"
#include "platform/pass_through_records.h"
#include "device/scsi_transport.h"
#include "platform/owned_handle.h"
#include "platform/volume_service.h"

class PassThroughTransport : public ScsiTransport {
public:
    // Reads the SCSI device map: initOk is 1 when its subkey count could be
    // read, and adapterCount holds that count. Opens no volume. `access` is
    // how the running system wants its volumes opened for pass-through.
    PassThroughTransport(platform::VolumeService& volumes, platform::VolumeAccess access);

    // Tries every letter C..Z and lists each volume that answers INQUIRY as
    // a CD/DVD device, in letter order; the current record ends up zero.
    void Enumerate(DeviceList& list) override;
    // Copies `record` into the current record, then opens the volume of its
    // drive letter. Each successful Open is paired with one Close.
    int Open(const DeviceRecord& record) override;
    void Close() override;
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

    // Opens "\\.\<letter>:" with the access and sharing given at construction.
    void OpenVolume(char letter);
    // One IOCTL_SCSI_PASS_THROUGH; the data land in the reply record.
    int SendBuffered(const commands::Command& command);
    // One IOCTL_SCSI_PASS_THROUGH_DIRECT with the caller's buffer (null for
    // a command without data).
    int SendDirect(const commands::Command& command, void* data);

    platform::VolumeService& volumes_;
    const platform::VolumeAccess access_;
    // Closed exactly once per open, so that a second Close or a Close after
    // a failed Open never closes a handle value the system may have handed
    // out again.
    OwnedHandle<platform::VolumeHandle, CloseVolume> volume_;
    // The record of the last buffered command, its data area the reply area.
    passthrough::PassThroughRequest reply_;
};
