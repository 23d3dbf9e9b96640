#pragma once
// The ScsiTransport of Linux: drives are SCSI generic devices (/dev/sg*),
// every command one SG_IO request on the opened device. A record this
// transport made carries, as its target id, the number of the entry where
// it keeps the device's path (and the drive's INQUIRY identity), so a record
// copied whole still names its device.
//
// After a refusal for good (EPERM: no CAP_SYS_RAWIO for a firmware command;
// EACCES; ENODEV or ENXIO: the device gone) nothing more is sent until the
// next Open, so the block download's retries do not reach the device; any
// other ioctl error fails that one request, which the caller may try again.
// After a request that failed on its way, the transport looks, without
// sending anything, whether the device is still there.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device/command_set.h"
#include "device/scsi_transport.h"
#include "platform/fixed_text.h"
#include "platform/scsi_generic_devices.h"
#include "platform/sg_io_header.h"

namespace sgio {

// Sense bytes asked for, as the pass-through transport asks; a sense buffer
// must hold at least this many.
constexpr unsigned char kSenseLength = 24;

// Fills `request` afresh (every other field zero) for `command`, with the
// lengths and time-outs of the pass-through transport (SG_IO takes the
// time-out in milliseconds). The header points into `command`, which must
// outlive the request; `data` has transferLength bytes (null for none) and
// `sense` kSenseLength.
void FillRequest(const commands::Command& command, void* data, unsigned char* sense, SgIoHeader& request);
// A temporary command would leave the request pointing at a CDB that is gone.
void FillRequest(const commands::Command&& command, void* data, unsigned char* sense, SgIoHeader& request) = delete;

// Only when the ioctl succeeded (`ioctlResult` 0) and the SCSI, host and
// driver statuses all read 0.
bool RequestSucceeded(int ioctlResult, const SgIoHeader& request);

struct CommandOutcome {
    bool succeeded = false;                  // carried, and every status good
    DeviceError error = DeviceError::None;   // why the system did not carry it; None when it did
    // What the kernel left in the header when it carried the request.
    std::uint8_t scsiStatus = 0;
    std::uint16_t hostStatus = 0;
    std::uint16_t driverStatus = 0;
    std::uint8_t sense[kSenseLength] = {};
    std::uint8_t senseLength = 0;  // bytes of sense data the kernel wrote
};

// The single send operation the transport is built on: a fresh request for
// `command` over `data`, sent to the open device and judged, with the
// statuses and the sense data the kernel returned.
CommandOutcome SendCommand(OpenedScsiDevice& device, const commands::Command& command, void* data);

// One-line explanations of what users meet on the way to a SCSI generic
// device, with what to do about it. The caller puts the device's name in
// front. Never null; "" for DeviceError::None.
const char* DeviceErrorText(DeviceError error);

// Most devices whose paths one transport keeps, and one Enumerate probes.
constexpr std::size_t kMaxKeptPaths = 64;

class SgIoTransport : public ScsiTransport {
public:
    // `devices` must outlive the transport. initOk is always 1.
    explicit SgIoTransport(ScsiGenericDevices& devices) : devices_(devices) { initOk = 1; }

    // Probes every SCSI generic device the system lists, in its order.
    void Enumerate(DeviceList& list) override;
    // Probes the one device at `path` as Enumerate probes each: open,
    // INQUIRY (a CD/DVD device only), then ListCurrent. Returns the error of
    // the open or of the INQUIRY (None when the system carried both). The
    // current record ends up zero.
    DeviceError Probe(const char* path, DeviceList& list);
    // Copies `record` into the current record and opens the device it names
    // (exclusively while exclusive opens are asked for).
    int Open(const DeviceRecord& record) override;
    // Whether the next opens claim the drive for this program alone.
    void SetExclusiveOpens(bool exclusive) { exclusiveOpens_ = exclusive; }
    void Close() override { device_.Close(); }

    // The error the system reported since the last Open or Probe.
    DeviceError lastError() const { return lastError_; }
    // The device path of a record this transport made ("" for any other).
    const char* PathOf(const DeviceRecord& record) const;

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return reply_; }
    commands::Backend backend() const override { return commands::Backend::PassThrough; }

private:
    // True after an error that means the device will never take a request.
    bool stopped() const {
        return lastError_ == DeviceError::NotPermitted || lastError_ == DeviceError::AccessDenied ||
               lastError_ == DeviceError::Gone;
    }
    // The report's refusal, "<path>: <what the error means>".
    void NoteRefusal() {
        if (lastError_ == DeviceError::None) return;
        MessageText text;
        text.Assign(PathOf(current));
        text.Append(": ");
        text.Append(DeviceErrorText(lastError_));
        report().Refuse(text.c_str());
    }
    // After a failed request: whether the device has gone, looked at
    // without sending anything.
    bool DeviceWentAway(DeviceError error);
    // The number of `path`'s entry, made when it is new; -1 when the path
    // is too long or the table is full.
    int KeepPath(const char* path) {
        const std::size_t length = std::strlen(path);
        if (length == 0 || length >= kDevicePathCapacity) return -1;
        for (std::size_t i = 0; i < keptCount_; ++i)
            if (std::strcmp(kept_[i].path, path) == 0) return static_cast<int>(i);
        if (keptCount_ == kMaxKeptPaths) return -1;
        KeptPath& added = kept_[keptCount_];
        std::memset(&added, 0, sizeof added);
        std::memcpy(added.path, path, length);
        return static_cast<int>(keptCount_++);
    }

    struct KeptPath {
        char path[kDevicePathCapacity];
        // The INQUIRY identity of the drive found there.
        char identity[sizeof(DeviceRecord::identity)];
    };

    ScsiGenericDevices& devices_;
    OpenedScsiDevice device_;
    DeviceError lastError_ = DeviceError::None;
    bool exclusiveOpens_ = false;
    // The errno of the request the system refused last (0: none).
    std::uint32_t lastErrno_ = 0;
    KeptPath kept_[kMaxKeptPaths] = {};
    std::size_t keptCount_ = 0;
    // INQUIRY and MODE SENSE data land here.
    std::uint8_t reply_[commands::kInquiryPassThroughLength] = {};
};

}  // namespace sgio
