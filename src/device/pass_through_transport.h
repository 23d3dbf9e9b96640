#pragma once
// The ScsiTransport of the Windows NT family: drives are reached through
// their drive-letter volumes ("\\.\E:") and every command is one
// DeviceIoControl. INQUIRY, TEST UNIT READY and MODE SENSE travel inside a
// PassThroughRequest (IOCTL_SCSI_PASS_THROUGH); READ BUFFER, WRITE BUFFER
// and the vendor download command use a DirectRequest
// (IOCTL_SCSI_PASS_THROUGH_DIRECT) and leave the data in the caller's buffer.
// Adapter, target and LUN play no part in finding a drive: the volume
// handle selects it.

#include <cstdint>

#include "command_set.h"
#include "pass_through_records.h"
#include "scsi_transport.h"
#include "volume_service.h"

class PassThroughTransport : public ScsiTransport {
public:
    // Reads the SCSI device map: initOk is 1 when its subkey count could be
    // read, and adapterCount holds that count. Opens no volume.
    explicit PassThroughTransport(platform::VolumeService& volumes);
    // Closes a volume that an Open left open.
    ~PassThroughTransport() override;

    // Tries every letter C..Z and lists each volume that answers INQUIRY as
    // a CD/DVD device, in letter order; the current record ends up zero.
    void Enumerate(DeviceList& list) override;
    int Inquiry() override;
    int Prepare() override;
    int ModeSense() override;
    // Copies `record` into the current record, then opens the volume of its
    // drive letter. Each successful Open is paired with one Close.
    int Open(const DeviceRecord& record) override;
    // Closes the volume; deviceHandle keeps its (now stale) value.
    void Close() override;
    int ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                        std::uint16_t length) override;
    int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                        std::uint16_t length) override;
    int WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                         std::uint16_t length) override;
    int WriteBufferMode4() override;
    int TestUnitReady() override;
    int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                       std::uint16_t length, std::uint16_t imageSum) override;

    // The volume being probed (Enumerate) or the opened drive (Open..Close);
    // kInvalidVolumeHandle after a failed open.
    platform::VolumeHandle deviceHandle = platform::kInvalidVolumeHandle;

private:
    // Opens "\\.\<letter>:" with the access and sharing the running system
    // allows (read-only before Windows 2000) into deviceHandle.
    void OpenVolume(char letter);
    void CloseVolume();
    // One IOCTL_SCSI_PASS_THROUGH; the data land in `request.data`.
    // 1 when the call succeeds and the drive reports good status.
    int SendBuffered(const commands::Command& command, passthrough::PassThroughRequest& request);
    // One IOCTL_SCSI_PASS_THROUGH_DIRECT with the caller's buffer (null for
    // a command without data).
    int SendDirect(const commands::Command& command, void* data);

    platform::VolumeService& volumes_;
    // Whether deviceHandle is a handle this transport opened and has not
    // closed yet, so that a second Close or a Close after a failed Open
    // never closes a handle value the system may have handed out again.
    bool handleOpen_ = false;
};
