#pragma once
// The ScsiTransport of Linux: drives are SCSI generic devices (/dev/sg*)
// and every command is one SG_IO request on the opened device, with the
// lengths and time-outs of the pass-through transport. A record of this
// transport names its device by path, kept in the record's dosDeviceName,
// so a record copied whole still names its device.
//
// When the system itself refuses a request (the ioctl fails: no
// CAP_SYS_RAWIO for a firmware command, the device gone), the transport
// keeps that error and sends nothing more until the next Open, so the
// block download's retries do not reach the device; the front-end reads
// lastError() and tells the user what it means.

#include <cstdint>

#include "device/command_set.h"
#include "device/linux/scsi_generic_devices.h"
#include "device/scsi_transport.h"

namespace sgio {

// Longest device path a record can carry, terminator included.
constexpr std::size_t kRecordPathCapacity = sizeof(DeviceRecord::dosDeviceName);

// The device path a record of this transport names ("" for none).
const char* RecordDevicePath(const DeviceRecord& record);

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
    // Copies `record` into the current record and opens the device it names.
    int Open(const DeviceRecord& record) override;
    void Close() override;

    // The error the system reported since the last Open or Probe; None
    // while every request was carried.
    DeviceError lastError() const { return lastError_; }

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return reply_; }
    commands::Backend backend() const override { return commands::Backend::PassThrough; }

private:
    // Probe without zeroing the current record at its end.
    DeviceError ProbeOne(const char* path, DeviceList& list);

    ScsiGenericDevices& devices_;
    OpenedScsiDevice device_;
    DeviceError lastError_ = DeviceError::None;
    // INQUIRY and MODE SENSE data land here.
    std::uint8_t reply_[commands::kInquiryPassThroughLength];
};

}  // namespace sgio
