#pragma once
// The application object over fakes, with the program-wide values reset
// before each test and a package whose version-check mask is 0x5A.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app_fakes.h"
#include "counting_allocator.h"
#include "faulty_file_service.h"

#include "app/firmware_upgrade_app.h"
#include "firmware/firmware_package.h"

class AppTest : public ::testing::Test {
protected:
    static constexpr std::uint8_t kPackageMask = 0x5A;

    AppTest() : block_(package_layout::kPackageSize, 0) {
        block_[package_layout::kVersionCheckMaskOffset] = kPackageMask;
        LogBoxes(gui, log);
    }

    // Constructs the application object on `platform` and starts the log
    // afresh, so that it holds only what happens after construction.
    FirmwareUpgradeApp& Construct(std::uint32_t platform) {
        system.platformId = platform;
        app = std::make_unique<FirmwareUpgradeApp>(system, system, gui);
        transports.app = app.get();
        log.clear();
        return *app;
    }

    bool RunInitInstance() {
        return app->InitInstance(StartupServices{transports, dialogs, files, memory, FirmwarePackage(block_.data())});
    }

    // Destroys the application object, as process exit does.
    void Exit() { app.reset(); }

    CallLog log;
    FakeSystem system{log};
    RecordingGui gui;
    FakeTransportFactory transports{log};
    FakeDialogFactory dialogs{log, gui, system};
    FaultyFileService files;
    CountingAllocator memory;
    std::unique_ptr<FirmwareUpgradeApp> app;

private:
    std::vector<std::uint8_t> block_;
};
