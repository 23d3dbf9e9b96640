#pragma once
// The seam at the ioctl: what the Linux transport needs of the system's
// SCSI generic devices (/dev/sg*). One implementation talks to the kernel
// (LinuxScsiGenericDevices); tests put the simulated drive behind it.

#include <cstddef>
#include <cstdint>
#include <utility>

#include "platform/sg_io_header.h"

namespace sgio {

// Longest device path the listing writes, its final NUL included.
constexpr std::size_t kDevicePathCapacity = 256;

struct DevicePath {
    char text[kDevicePathCapacity];
};

// What can go wrong on the way to a device, in the terms users meet.
enum class DeviceError {
    None,
    NoDevices,       // no /dev/sg* at all: the sg driver is not loaded
    NoSuchDevice,    // the path names nothing (ENOENT)
    IsDirectory,     // the path names a directory
    AccessDenied,    // open refused for lack of rights (EACCES)
    NotPermitted,    // the kernel refused the command itself (EPERM, no CAP_SYS_RAWIO)
    Busy,            // another program holds the device (EBUSY)
    Gone,            // the device went away (ENODEV, ENXIO)
    NotScsiGeneric,  // not a device file, or one that takes no SG_IO (ENOTTY)
    TransferTooLong, // SG_IO refused a transfer longer than the device takes (EINVAL)
    Other,           // anything else the system reported
};

// Where the system's limit on one transfer to a device was read.
enum class TransferLimitSource {
    None,        // not found: the limit is not known
    Queue,       // max_hw_sectors_kb of the device's request queue
    UsbStorage,  // max_sectors of the SCSI device, which usb-storage has
};

struct TransferLimit {
    std::uint32_t bytes = 0;  // 0: not known
    TransferLimitSource source = TransferLimitSource::None;
};

class ScsiGenericDevices {
public:
    static constexpr int kNoHandle = -1;

    virtual ~ScsiGenericDevices() = default;
    // Writes at most `capacity` paths of SCSI generic devices into `paths`,
    // in numeric order (sg2 before sg10); returns how many it wrote.
    virtual std::size_t List(DevicePath* paths, std::size_t capacity) = 0;
    // Opens `path` for reading and writing. A handle (not kNoHandle), or
    // kNoHandle with `error` set.
    virtual int Open(const char* path, DeviceError& error) = 0;
    // Opens `path` as Open does, for the firmware download: nobody else may
    // have the drive open meanwhile (Busy when somebody has). Where the
    // system has no such claim, as Open.
    virtual int OpenExclusive(const char* path, DeviceError& error) { return Open(path, error); }
    // Sends one SG_IO request on `handle`. None when the system carried it
    // (the header then holds the statuses), else why it did not.
    virtual DeviceError Send(int handle, SgIoHeader& request) = 0;
    // The errno of the last Send the system refused (0 where there is none).
    virtual int LastSendErrno() const { return 0; }
    // Whether the device at `path` is still attached, looked at without
    // sending it anything (its node and what the system lists of it); true
    // where the system has nothing to tell.
    virtual bool StillThere(const char* /*path*/) { return true; }
    // The most bytes one SG_IO request to `path` may move, as the kernel
    // enforces it for a command it passes through; unknown where the
    // system does not say.
    virtual TransferLimit ReadTransferLimit(const char* /*path*/) { return TransferLimit{}; }
    // Closes `handle`; each handle Open gave is closed once.
    virtual void Close(int handle) = 0;
};

// Owns one open device: closes it exactly once, on Close or at the end of
// its life, whichever comes first.
class OpenedScsiDevice {
public:
    OpenedScsiDevice() = default;
    OpenedScsiDevice(ScsiGenericDevices& devices, int handle) : devices_(&devices), handle_(handle) {}
    OpenedScsiDevice(OpenedScsiDevice&& other) noexcept { *this = std::move(other); }
    OpenedScsiDevice& operator=(OpenedScsiDevice&& other) noexcept {
        if (this != &other) {
            Close();
            devices_ = std::exchange(other.devices_, nullptr);
            handle_ = std::exchange(other.handle_, ScsiGenericDevices::kNoHandle);
        }
        return *this;
    }
    OpenedScsiDevice(const OpenedScsiDevice&) = delete;
    OpenedScsiDevice& operator=(const OpenedScsiDevice&) = delete;
    ~OpenedScsiDevice() { Close(); }

    bool isOpen() const { return devices_ != nullptr && handle_ != ScsiGenericDevices::kNoHandle; }
    // Sends one request; a closed device gives Gone.
    DeviceError Send(SgIoHeader& request);
    void Close();

private:
    ScsiGenericDevices* devices_ = nullptr;
    int handle_ = ScsiGenericDevices::kNoHandle;
};

// True, with their number, for the kernel's names of SCSI generic nodes:
// "sg" and one to six decimal digits (not sg, sgx, sg1a).
bool ScsiGenericNodeNumber(const char* name, unsigned& number);

// Opens `path` into `device` (closing what it held before); `exclusive`
// claims the drive for this program alone (OpenExclusive).
DeviceError OpenScsiDevice(ScsiGenericDevices& devices, const char* path, OpenedScsiDevice& device,
                           bool exclusive = false);

}  // namespace sgio
