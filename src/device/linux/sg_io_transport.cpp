#include "device/linux/sg_io_transport.h"

#include <cstring>

#include "device/linux/sg_command.h"

namespace sgio {
namespace {

// Most devices one Enumerate probes.
constexpr std::size_t kMaxProbedDevices = 64;

}  // namespace

const char* RecordDevicePath(const DeviceRecord& record) {
    // The field is a byte array; its last byte is never written, so the
    // text always ends inside it.
    return reinterpret_cast<const char*>(record.dosDeviceName);
}

SgIoTransport::SgIoTransport(ScsiGenericDevices& devices) : devices_(devices) {
    std::memset(reply_, 0, sizeof reply_);
    initOk = 1;
}

void SgIoTransport::Enumerate(DeviceList& list) {
    DevicePath paths[kMaxProbedDevices];
    const std::size_t count = devices_.List(paths, kMaxProbedDevices);
    for (std::size_t i = 0; i < count; ++i) ProbeOne(paths[i].text, list);
    ZeroCurrent();
}

DeviceError SgIoTransport::Probe(const char* path, DeviceList& list) {
    const DeviceError error = ProbeOne(path, list);
    ZeroCurrent();
    return error;
}

DeviceError SgIoTransport::ProbeOne(const char* path, DeviceList& list) {
    ZeroCurrent();
    lastError_ = DeviceError::None;
    const std::size_t length = std::strlen(path);
    if (length == 0 || length >= kRecordPathCapacity) return DeviceError::NoSuchDevice;
    const DeviceError opened = OpenScsiDevice(devices_, path, device_);
    if (opened != DeviceError::None) return opened;
    std::memcpy(current.dosDeviceName, path, length);

    const bool accepted = Inquiry() != 0;
    const DeviceError inquiryError = lastError_;
    if (accepted) {
        // A drive without a disc answers check condition; it is listed all the same.
        TestUnitReady();
        TestUnitReady();
        if (Prepare()) list.Append(current);
    }
    device_.Close();
    return inquiryError;
}

int SgIoTransport::Open(const DeviceRecord& record) {
    CopyToCurrent(record);
    lastError_ = DeviceError::None;
    const char* path = RecordDevicePath(current);
    if (path[0] == '\0') {
        device_.Close();
        lastError_ = DeviceError::NoSuchDevice;
        return 0;
    }
    lastError_ = OpenScsiDevice(devices_, path, device_);
    return lastError_ == DeviceError::None ? 1 : 0;
}

void SgIoTransport::Close() { device_.Close(); }

int SgIoTransport::Send(const commands::Command& command, std::uint8_t* data) {
    // Once the system has refused a request, nothing more goes to the device.
    if (lastError_ != DeviceError::None) return 0;
    if (command.usesReplyArea) {
        std::memset(reply_, 0, sizeof reply_);
        data = reply_;
    }
    const CommandOutcome outcome = SendCommand(device_, command, data);
    lastError_ = outcome.error;
    return outcome.succeeded ? 1 : 0;
}

}  // namespace sgio
