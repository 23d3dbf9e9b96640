#pragma once
// How start-up obtains the one transport of the run. The product builds the
// real transports over the platform's services; tests hand out fakes and can
// refuse, as a system out of memory would.

#include <memory>

#include "device/scsi_transport.h"
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
