#pragma once
// The one transport for the running Windows system: the NT pass-through on
// the NT family (volumes opened read-write from Windows 2000 on, read-only
// on NT 4.0), ASPI for Win32 otherwise. Shared by the dialog program and
// the console ktxflash.

#include <memory>

#include "app/transport_factory.h"
#include "platform/os_version.h"

// What start-up says when the system's version could not be read, and
// when the platform's transport did not come up.
constexpr char kInitFailedText[] = "Flash ROM Upgrade Program Initialized Failed!!";
constexpr char kNtInitFailedText[] = "Flash ROM Upgrade Program Initialized Failed (Windows NT/2000)!!";
constexpr char kAspiInitFailedText[] =
    "Flash ROM Upgrade Program Initialized Failed (Windows 95/98)!!\nASPI for Win32 is not initialized!!";

// Null when no storage can be had for the transport.
std::unique_ptr<ScsiTransport> MakePlatformTransport(const OsVersionRecord& version, TransportFactory& transports);
