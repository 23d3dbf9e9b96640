#pragma once
// The product's TransportFactory: a PassThroughTransport over a volume
// service, an AspiTransport over an ASPI library service. Both services are
// the caller's and must outlive every transport made here.

#include "app/transport_factory.h"
#include "platform/aspi_library.h"
#include "platform/volume_service.h"

class ServiceTransportFactory : public TransportFactory {
public:
    ServiceTransportFactory(platform::AspiLibrary& aspi, platform::VolumeService& volumes)
        : aspi_(aspi), volumes_(volumes) {}

    std::unique_ptr<ScsiTransport> MakePassThrough(platform::VolumeAccess access) override;
    std::unique_ptr<ScsiTransport> MakeAspi() override;

private:
    platform::AspiLibrary& aspi_;
    platform::VolumeService& volumes_;
};
