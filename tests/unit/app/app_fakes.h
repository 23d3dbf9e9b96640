#pragma once
// Fakes for the application object's services. Every call of every fake goes
// into one shared log, in order, so that a test can compare the whole
// sequence start-up or restart produced.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/firmware_upgrade_app.h"
#include "app/main_dialog.h"
#include "app/transport_factory.h"
#include "fake_system.h"
#include "fake_transport.h"
#include "recording_gui.h"

using CallLog = std::vector<std::string>;


// Message boxes go to a RecordingGui, which logs them as Box(text|caption|style).
inline void LogBoxes(RecordingGui& gui, CallLog& log) {
    gui.whileBoxOpen = [&log](const RecordingGui::ShownBox& box) {
        log.push_back("Box(" + box.text + "|" + (box.hasCaption ? box.caption : "<default>") + "|" +
                      std::to_string(box.style) + ")");
    };
}

// Logs which transport was asked for, and the application's mask copy at
// that moment; remembers how volumes were to be opened.
class FakeTransportFactory : public TransportFactory {
public:
    explicit FakeTransportFactory(CallLog& log) : log_(log) {}

    int initOk = 1;
    int driveCount = 1;
    bool outOfMemory = false;
    // The application whose mask is logged (set once it exists).
    const FirmwareUpgradeApp* app = nullptr;
    std::vector<platform::VolumeAccess> accesses;

    std::unique_ptr<ScsiTransport> MakePassThrough(platform::VolumeAccess access) override {
        accesses.push_back(access);
        return Make("MakePassThrough");
    }
    std::unique_ptr<ScsiTransport> MakeAspi() override { return Make("MakeAspi"); }

private:
    std::unique_ptr<ScsiTransport> Make(const char* kind) {
        log_.push_back(std::string(kind) + "(mask=" + FakeSystem::Hex(app ? app->versionCheckMask() : 0) + ")");
        if (outOfMemory) return nullptr;
        return std::make_unique<FakeTransport>(log_, initOk, driveCount);
    }

    CallLog& log_;
};

class FakeDialog : public MainDialog {
public:
    FakeDialog(CallLog& log, std::int32_t answer, std::function<void(DialogCommands&, FirmwareState&)> whileModal)
        : log_(log), answer_(answer), whileModal_(std::move(whileModal)) {}
    ~FakeDialog() override { log_.push_back("~Dialog"); }

    FirmwareState& state() override { return state_; }
    void DoModal(DialogCommands& commands) override {
        log_.push_back("DoModal(devices=" + std::to_string(state_.devices.Count()) + ")");
        if (whileModal_) whileModal_(commands, state_);
        restartConfirmed_ = answer_;
    }
    std::int32_t restartConfirmed() const override { return restartConfirmed_; }

private:
    CallLog& log_;
    FirmwareState state_;
    std::int32_t answer_;
    std::int32_t restartConfirmed_ = 0;
    std::function<void(DialogCommands&, FirmwareState&)> whileModal_;
};

class FakeDialogFactory : public MainDialogFactory {
public:
    explicit FakeDialogFactory(CallLog& log) : log_(log) {}

    // What the user answers to the restart prompt on leaving the dialog.
    std::int32_t restartAnswer = 0;
    bool outOfMemory = false;
    // Runs inside DoModal, while the dialog is "open", with the commands
    // its buttons would run.
    std::function<void(DialogCommands&, FirmwareState&)> whileModal;

    std::unique_ptr<MainDialog> Create() override {
        log_.push_back("CreateDialog");
        if (outOfMemory) return nullptr;
        return std::make_unique<FakeDialog>(log_, restartAnswer, whileModal);
    }

private:
    CallLog& log_;
};
