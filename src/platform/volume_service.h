#pragma once
// What the NT pass-through transport needs from the operating system:
// drive-letter volumes opened by name, the device I/O control call on them,
// and the count of SCSI ports in the registry's device map. One Win32
// implementation (CreateFileA, DeviceIoControl, CloseHandle, the registry);
// the tests and the NT test build use the simulated NT storage stack.

#include <cstdint>

namespace platform {

// A volume handle as the platform returns it, carried as an integer so that
// portable code never needs HANDLE. kInvalidVolumeHandle is the value of
// INVALID_HANDLE_VALUE, which CreateFileA returns when it fails.
using VolumeHandle = std::uintptr_t;
constexpr VolumeHandle kInvalidVolumeHandle = ~static_cast<std::uintptr_t>(0);

// Desired access and sharing, with the values of the Win32 names they echo.
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 0x00000001u;
constexpr std::uint32_t kFileShareWrite = 0x00000002u;

// How drive-letter volumes are opened: Windows NT 4.0 lets SCSI
// pass-through through on a volume opened for reading only; Windows 2000
// and later want reading and writing (and sharing for both).
enum class VolumeAccess { ReadOnly, ReadWrite };

// How reading HKEY_LOCAL_MACHINE\Hardware\DeviceMap\Scsi went.
enum class DeviceMapResult {
    Ok,           // opened and queried; the subkey count is valid
    OpenFailed,   // the key is missing or cannot be opened for reading
    QueryFailed,  // opened, but its subkey count could not be read
};

class VolumeService {
public:
    virtual ~VolumeService() = default;

    // CreateFileA(name, access, sharing, no security attributes,
    // OPEN_EXISTING, attributes 0, no template): the volume's handle, or
    // kInvalidVolumeHandle when it cannot be opened.
    virtual VolumeHandle OpenVolume(const char* name, std::uint32_t access, std::uint32_t sharing) = 0;

    // DeviceIoControl without an overlapped structure; the count of returned
    // bytes is not passed back. Nonzero on success, 0 on failure.
    virtual int DeviceIoControl(VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength,
                                void* out, std::uint32_t outLength) = 0;

    // The system's error code of the last call that failed (GetLastError).
    virtual std::uint32_t LastError() = 0;

    // CloseHandle: nonzero when the handle was open and is now closed.
    virtual int CloseVolume(VolumeHandle handle) = 0;

    // Opens Hardware\DeviceMap\Scsi under HKEY_LOCAL_MACHINE with KEY_READ,
    // asks only for its number of subkeys (one per SCSI port) and closes the
    // key again whenever it was opened. `subkeyCount` is written only on Ok.
    virtual DeviceMapResult ReadScsiDeviceMap(std::uint32_t& subkeyCount) = 0;
};

}  // namespace platform
