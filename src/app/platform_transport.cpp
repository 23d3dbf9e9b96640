#include "app/platform_transport.h"

namespace {

// Windows 2000 is the first system whose volumes are opened read-write for
// pass-through.
constexpr std::uint32_t kReadWriteVolumesFromMajorVersion = 5;

}  // namespace

std::unique_ptr<ScsiTransport> MakePlatformTransport(const OsVersionRecord& version, TransportFactory& transports) {
    if (version.dwPlatformId != kPlatformNt) return transports.MakeAspi();
    const platform::VolumeAccess access = version.dwMajorVersion >= kReadWriteVolumesFromMajorVersion
                                              ? platform::VolumeAccess::ReadWrite
                                              : platform::VolumeAccess::ReadOnly;
    return transports.MakePassThrough(access);
}
