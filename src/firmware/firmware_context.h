#pragma once
// What the firmware operations work on. They never see a window: the dialog
// program and a terminal program are two faces over the same operations,
// each with its own OperationsPort. FirmwareContext: the services and
// objects of the run, owned by the application and alive while any
// operation may run. FirmwareState: what the operations read and write and
// the face shows.

#include <cstdint>

#include "device/device_list.h"
#include "device/scsi_transport.h"
#include "firmware/firmware_package.h"
#include "firmware/operations_port.h"
#include "platform/buffer_allocator.h"
#include "platform/file_service.h"
#include "platform/fixed_text.h"
#include "platform/system_services.h"

struct FirmwareContext {
    OperationsPort& port;
    SystemServices& system;
    // The files a save writes; null where no operation writes one.
    FileService* files;
    BufferAllocator& memory;
    ScsiTransport& transport;
    // The package the program carries; null or a template is refused.
    const FirmwarePackage* package;
    std::uint8_t versionCheckMask;
};

struct FirmwareState {
    DeviceList devices;
    // The record of the drive the last upgrade or save worked on.
    const DeviceRecord* selectedDevice = nullptr;
    // The progress shown last, 0..100.
    std::int32_t progress = 0;
    // 1 after a successful upgrade: leaving asks to restart the PC.
    std::int32_t restartNeeded = 0;
    // The firmware file Save writes (chosen with browse).
    PathText firmwarePath;
};
