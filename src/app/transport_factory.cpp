#include "app/transport_factory.h"

#include <new>

#include "device/aspi_transport.h"
#include "device/pass_through_transport.h"

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

// Allocation failure comes back as null rather than as an exception: start-up
// reports it to the user like a transport that failed to initialise. (A
// nothrow_t of its own rather than std::nothrow, an object that lives in the
// C++ runtime library, which the shipped programs do not link.)

std::unique_ptr<ScsiTransport> ServiceTransportFactory::MakePassThrough(platform::VolumeAccess access) {
    return std::unique_ptr<ScsiTransport>(new (std::nothrow_t{}) PassThroughTransport(volumes_, access));
}

std::unique_ptr<ScsiTransport> ServiceTransportFactory::MakeAspi() {
    return std::unique_ptr<ScsiTransport>(new (std::nothrow_t{}) AspiTransport(aspi_));
}
