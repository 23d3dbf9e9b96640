#pragma once
// The ScsiTransport of Linux: drives are SCSI generic devices (/dev/sg*)
// and every command is one SG_IO request on the opened device, with the
// lengths and time-outs of the pass-through transport. The transport keeps
// the path of every device it probed in a table of its own; a record it
// made carries its entry's number as its target id (and the drive's INQUIRY
// identity, which the entry keeps too), so a record copied whole still
// names its device. The record's dosDeviceName stays all zero.
//
// When the system itself refuses a request for good (the ioctl fails with
// EPERM: no CAP_SYS_RAWIO for a firmware command; EACCES; ENODEV or ENXIO:
// the device gone), the transport keeps that error and sends nothing more
// until the next Open, so the block download's retries do not reach the
// device. Any other ioctl error (EINTR, EIO, ...) fails that one request,
// which the caller may try again. The front-end reads lastError() and
// tells the user what it means. After a request that failed on its way (the
// ioctl, or a host or driver status), the transport looks, without sending
// anything, whether the device is still there, and says in the report when
// it is gone.

#include <cstdint>

#include "device/command_set.h"
#include "platform/scsi_generic_devices.h"
#include "device/scsi_transport.h"

namespace sgio {

// Longest device path the transport keeps, terminator included.
constexpr std::size_t kKeptPathCapacity = kDevicePathCapacity;
// Most devices whose paths one transport keeps.
constexpr std::size_t kMaxKeptPaths = 64;

class SgIoTransport : public ScsiTransport {
public:
    // `devices` must outlive the transport. initOk is always 1: there is no
    // back end to bring up beyond the devices themselves.
    explicit SgIoTransport(ScsiGenericDevices& devices);

    // Probes every SCSI generic device the system lists, in its order.
    void Enumerate(DeviceList& list) override;
    // Probes the one device at `path` as Enumerate probes each: opens it,
    // INQUIRY (a CD/DVD device only), TEST UNIT READY twice (results
    // ignored), Prepare, and appends its record. Returns the error of the
    // open or of the INQUIRY request (None when the system carried both;
    // then whether a record was appended says whether it is a CD/DVD
    // device). The current record ends up zero.
    DeviceError Probe(const char* path, DeviceList& list);
    // Copies `record` into the current record and opens the device it names
    // (exclusively while exclusive opens are asked for).
    int Open(const DeviceRecord& record) override;
    // Whether the next opens claim the drive for this program alone (the
    // download: nobody else on the drive meanwhile).
    void SetExclusiveOpens(bool exclusive) { exclusiveOpens_ = exclusive; }
    void Close() override;

    // The error the system reported since the last Open or Probe; None
    // while every request was carried.
    DeviceError lastError() const { return lastError_; }
    // The device path of a record this transport made ("" for any other).
    const char* PathOf(const DeviceRecord& record) const;

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return reply_; }
    commands::Backend backend() const override { return commands::Backend::PassThrough; }

private:
    // True after an error that means the device will never take a request.
    bool stopped() const;
    // The report's refusal: "<path>: <what the error means>" while
    // lastError() is not None.
    void NoteRefusal();
    // After a failed request: whether the device has gone (the system said
    // so, or the failure was the transport's and the device is no longer
    // there), looked at without sending anything.
    bool DeviceWentAway(DeviceError error);
    // Probe without zeroing the current record at its end.
    DeviceError ProbeOne(const char* path, DeviceList& list);
    // The number of `path`'s entry, made when it is new; -1 when the path
    // is too long or the table is full.
    int KeepPath(const char* path);

    struct KeptPath {
        char path[kKeptPathCapacity];
        // The INQUIRY identity of the drive found there.
        char identity[sizeof(DeviceRecord::identity)];
    };

    ScsiGenericDevices& devices_;
    OpenedScsiDevice device_;
    DeviceError lastError_ = DeviceError::None;
    bool exclusiveOpens_ = false;
    // The errno of the request the system refused last (0: none).
    std::uint32_t lastErrno_ = 0;
    KeptPath kept_[kMaxKeptPaths];
    std::size_t keptCount_ = 0;
    // INQUIRY and MODE SENSE data land here.
    std::uint8_t reply_[commands::kInquiryPassThroughLength];
};

}  // namespace sgio
