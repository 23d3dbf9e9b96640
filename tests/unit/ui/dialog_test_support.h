#pragma once
// What the dialog's host tests share: drive records as the transports
// prepare them, package blocks (combined and template), and a fixture with
// a recording window and its call log cleared.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "firmware/firmware_package.h"
#include "counting_allocator.h"
#include "fake_system.h"
#include "fake_transport.h"
#include "faulty_file_service.h"
#include "recording_gui.h"
#include "recording_port.h"

#include "ui/upgrade_dialog.h"

// Copies up to `width` characters of `text` into a zeroed field.
inline void SetField(char* field, std::size_t width, const char* text) {
    const std::size_t length = std::strlen(text);
    std::memcpy(field, text, length < width ? length : width);
}

// A record with the given INQUIRY strings, copied into their fields as the
// transports do (at most the field width, blanks kept, NUL after).
inline DeviceRecord DriveRecord(const char* vendor8, const char* product16, const char* revision6,
                                std::uint16_t major = 0, std::uint16_t minor = 0) {
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    SetField(record.vendorId, 8, vendor8);
    SetField(record.productId, 16, product16);
    SetField(record.productRevision, 6, revision6);
    record.versionMajor = major;
    record.versionMinor = minor;
    record.imageSize = 0x20000;
    return record;
}

class DialogTest : public ::testing::Test {
protected:
    DialogTest()
        : combinedBlock_(package_layout::kPackageSize, 0),
          templateBlock_(package_layout::kPackageSize, 0),
          combined_(combinedBlock_.data()),
          uncombined_(templateBlock_.data()) {
        std::memcpy(combinedBlock_.data(), "P1.3\0" "7E45", 9);
        std::memcpy(templateBlock_.data(), package_layout::kUncombinedMarker,
                    package_layout::kUncombinedMarkerLength);
    }

    // Services with the recording GUI and the given package (combined by default).
    DialogServices Services(const FirmwarePackage* package) {
        DialogServices services;
        services.gui = &gui;
        services.package = package;
        return services;
    }
    DialogServices Services() { return Services(&combined_); }

    // Operations whose events go to `port`, not to the window: what a test
    // sees of them there tells that they ran.
    FirmwareContext RecordedOperations() {
        return FirmwareContext{port, system, &files, memory, transport, &combined_, 0x0E};
    }

    RecordingGui gui;
    RecordingPort port;
    std::vector<std::string> serviceCalls;
    FakeSystem system{serviceCalls};
    FaultyFileService files;
    CountingAllocator memory;
    FakeTransport transport{serviceCalls};
    std::vector<std::uint8_t> combinedBlock_;
    std::vector<std::uint8_t> templateBlock_;
    FirmwarePackage combined_;
    FirmwarePackage uncombined_;
};
