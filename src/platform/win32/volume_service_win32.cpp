#include "platform/win32/win32_services.h"

#include <windows.h>

namespace platform {

static_assert(kGenericRead == GENERIC_READ, "access value");
static_assert(kGenericWrite == GENERIC_WRITE, "access value");
static_assert(kFileShareRead == FILE_SHARE_READ, "sharing value");
static_assert(kFileShareWrite == FILE_SHARE_WRITE, "sharing value");
static_assert(sizeof(VolumeHandle) == sizeof(HANDLE), "a handle fits the portable value");

namespace {

HANDLE ToHandle(VolumeHandle handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

VolumeHandle Win32VolumeService::OpenVolume(const char* name, std::uint32_t access, std::uint32_t sharing) {
    HANDLE handle = ::CreateFileA(name, access, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return kInvalidVolumeHandle;
    return reinterpret_cast<VolumeHandle>(handle);
}

int Win32VolumeService::DeviceIoControl(VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength,
                                        void* out, std::uint32_t outLength) {
    // Without an overlapped structure the count of returned bytes must be
    // given somewhere, although nobody reads it.
    DWORD returned = 0;
    return ::DeviceIoControl(ToHandle(handle), code, in, inLength, out, outLength, &returned, nullptr) ? 1 : 0;
}

int Win32VolumeService::CloseVolume(VolumeHandle handle) { return ::CloseHandle(ToHandle(handle)) ? 1 : 0; }

DeviceMapResult Win32VolumeService::ReadScsiDeviceMap(std::uint32_t& subkeyCount) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\Scsi", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return DeviceMapResult::OpenFailed;
    DWORD subkeys = 0;
    const LONG query = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr);
    ::RegCloseKey(key);
    if (query != ERROR_SUCCESS) return DeviceMapResult::QueryFailed;
    subkeyCount = subkeys;
    return DeviceMapResult::Ok;
}

std::uint32_t Win32VolumeService::LastError() { return GetLastError(); }

}  // namespace platform
