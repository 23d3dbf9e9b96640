#include "app/service_transport_factory.h"

#include <new>

#include "device/aspi_transport.h"
#include "device/pass_through_transport.h"

// Allocation failure comes back as null rather than as an exception: start-up
// reports it to the user like a transport that failed to initialise.

std::unique_ptr<ScsiTransport> ServiceTransportFactory::MakePassThrough(platform::VolumeAccess access) {
    return std::unique_ptr<ScsiTransport>(new (std::nothrow) PassThroughTransport(volumes_, access));
}

std::unique_ptr<ScsiTransport> ServiceTransportFactory::MakeAspi() {
    return std::unique_ptr<ScsiTransport>(new (std::nothrow) AspiTransport(aspi_));
}
