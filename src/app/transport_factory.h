#pragma once
// How start-up obtains the one transport of the run: the factory that makes
// each kind (the product builds the real transports over the platform's
// services; tests hand out fakes and can refuse, as a system out of memory
// would), and the choice of kind for the running Windows system.

#include <memory>
#include <new>

#include "device/aspi_transport.h"
#include "device/pass_through_transport.h"
#include "device/scsi_transport.h"
#include "platform/aspi_library.h"
#include "platform/system_services.h"
#include "platform/volume_service.h"

class TransportFactory {
public:
    virtual ~TransportFactory() = default;
    // The NT-family transport over drive-letter volumes opened as `access`
    // says; null when no storage can be had for it.
    virtual std::unique_ptr<ScsiTransport> MakePassThrough(platform::VolumeAccess access) = 0;
    // The ASPI for Win32 transport of Windows 95/98; null when no storage can
    // be had for it.
    virtual std::unique_ptr<ScsiTransport> MakeAspi() = 0;
};

// The product's TransportFactory: a PassThroughTransport over a volume
// service, an AspiTransport over an ASPI library service. Both services are
// the caller's and must outlive every transport made here.
class ServiceTransportFactory : public TransportFactory {
public:
    ServiceTransportFactory(platform::AspiLibrary& aspi, platform::VolumeService& volumes)
        : aspi_(aspi), volumes_(volumes) {}

    // Allocation failure comes back as null rather than as an exception:
    // start-up reports it like a transport that failed to initialise. (A
    // nothrow_t of its own rather than std::nothrow, an object that lives in
    // the C++ runtime library, which the shipped programs do not link.)
    std::unique_ptr<ScsiTransport> MakePassThrough(platform::VolumeAccess access) override {
        return std::unique_ptr<ScsiTransport>(new (std::nothrow_t{}) PassThroughTransport(volumes_, access));
    }
    std::unique_ptr<ScsiTransport> MakeAspi() override {
        return std::unique_ptr<ScsiTransport>(new (std::nothrow_t{}) AspiTransport(aspi_));
    }

private:
    platform::AspiLibrary& aspi_;
    platform::VolumeService& volumes_;
};

// What start-up says when the system's version could not be read, and
// when the platform's transport did not come up.
constexpr char kInitFailedText[] = "Flash ROM Upgrade Program Initialized Failed!!";
constexpr char kNtInitFailedText[] = "Flash ROM Upgrade Program Initialized Failed (Windows NT/2000)!!";
constexpr char kAspiInitFailedText[] =
    "Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\nASPI for Win32 is not initialized!!";

// The one transport for the running Windows system, for the dialog program
// and the console ktxflash: the NT pass-through on the NT family (volumes
// opened read-write from Windows 2000 on, read-only on NT 4.0), ASPI for
// Win32 otherwise. Null when no storage can be had for it.
inline std::unique_ptr<ScsiTransport> MakePlatformTransport(const OsVersionRecord& version,
                                                            TransportFactory& transports) {
    if (version.dwPlatformId != kPlatformNt) return transports.MakeAspi();
    // Windows 2000 (5.0) is the first system whose volumes are opened
    // read-write for pass-through.
    return transports.MakePassThrough(version.dwMajorVersion >= 5 ? platform::VolumeAccess::ReadWrite
                                                                  : platform::VolumeAccess::ReadOnly);
}
