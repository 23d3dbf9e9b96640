#include "app/service_transport_factory.h"

#include <new>

#include "device/aspi_transport.h"
#include "device/pass_through_transport.h"

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
