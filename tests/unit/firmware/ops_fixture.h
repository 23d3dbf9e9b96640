#pragma once
// The firmware operations' context over the fakes of tests/support, with
// one drive listed and selected, the sample firmware as the package, the
// product's mask 0x0E, and string 3 loaded as the product has it. The
// operations report through the dialog's face onto the recording window, so
// these tests hold the operations and that face together to the controls,
// boxes and calls the dialog program has always shown.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "firmware/firmware_package.h"
#include "combine_package.h"

#include "counting_allocator.h"
#include "fake_system.h"
#include "fake_transport.h"
#include "faulty_file_service.h"
#include "firmware/firmware_context.h"
#include "recording_gui.h"
#include "ui/upgrade_dialog.h"
#include "ui/dialog_port.h"

#include "sample_image.h"


inline const char kConfirmationText[] =
    "1.Please remove any media from the device.\n\n2.Please DO NOT turn off power while updating.\n\n3.Please "
    "ensure the device is properly installed and DO NOT remove the device while updating.\n\n4.Please ensure all "
    "current applications are terminated before proceed updating.";

// A package block holding `image` with the given tag, mask and sum field.
inline std::vector<std::uint8_t> PackageBlock(const std::vector<std::uint8_t>& image, const std::string& tag,
                                              std::uint8_t mask, std::uint16_t sumField) {
    std::vector<std::uint8_t> block(package_layout::kPackageSize, 0);
    WriteCombinedHeader(block.data(), tag, sumField, mask);
    std::memcpy(block.data() + package_layout::kImageOffset, image.data(), image.size());
    return block;
}

inline DeviceRecord Drive(std::uint8_t adapter, std::uint8_t target, const char* revision = "P1.2") {
    DeviceRecord record;
    std::memset(&record, 0, sizeof record);
    record.hostAdapter = adapter;
    record.targetId = target;
    record.imageSize = kImageSize;
    std::strcpy(record.vendorId, "TAVRINE ");
    std::strcpy(record.productId, "KTX7724R05      ");
    std::strcpy(record.productRevision, revision);
    return record;
}

class OpsTest : public ::testing::Test {
public:
    OpsTest() : image(MakeSampleImage()), packageBlock(PackageBlock(image, "P1.3", 0x0E, byteSum16(image.data(), image.size()))) {
        gui.strings[3] = kConfirmationText;
        ListDrive(Drive(0, 1));
        gui.at(kDeviceSelector).curSel = 0;
        gui.calls.clear();
    }

    void ListDrive(const DeviceRecord& record) {
        state.devices.Append(record);
        gui.at(kDeviceSelector).entries.push_back(record.vendorId);
    }
    // Replaces the package in place (the view keeps pointing at it).
    void SetPackage(const std::vector<std::uint8_t>& block) { std::copy(block.begin(), block.end(), packageBlock.begin()); }
    // The states of 1014, 1010 and 1011 as "browse upgrade exit", 1 for enabled.
    std::string Buttons() {
        return std::string(gui.enabled(kBrowseButton) ? "1" : "0") + (gui.enabled(kUpgradeButton) ? "1" : "0") +
               (gui.enabled(kExitButton) ? "1" : "0");
    }
    int Count(const std::string& call) const {
        int n = 0;
        for (const auto& c : gui.calls) n += c == call;
        return n;
    }

    // The context of one operation; the fixture's members outlive it.
    FirmwareContext Context() { return FirmwareContext{port, system, &files, memory, transport, &package, mask}; }
    // The firmware file path as a text.
    std::string Path() const { return state.firmwarePath.c_str(); }

    RecordingGui gui;
    FakeSystem system{gui.calls};
    DialogPort port{gui, system};
    FaultyFileService files;
    CountingAllocator memory;
    FakeTransport transport{gui.calls};
    std::vector<std::uint8_t> image;
    std::vector<std::uint8_t> packageBlock;
    FirmwarePackage package{packageBlock.data()};
    std::uint8_t mask = 0x0E;
    FirmwareState state;
};
