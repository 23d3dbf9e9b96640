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
#include "app/firmware_upgrade_app.h"
#include "app/transport_factory.h"
#include "fake_system.h"
#include "fake_transport.h"
#include "recording_gui.h"
#include "ui/dialog_port.h"

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
    // The transports made report an abandoned request.
    bool abandonsRequest = false;
    // The transport made last (start-up owns it).
    FakeTransport* last = nullptr;
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
        auto transport = std::make_unique<FakeTransport>(log_, initOk, driveCount);
        transport->abandoned = abandonsRequest;
        last = transport.get();
        return transport;
    }

    CallLog& log_;
};

// What a test does while the dialog is "open": run operations on the
// context its buttons would use.
using WhileModal = std::function<void(const FirmwareContext&, FirmwareState&)>;

// The dialog, with the product's face of the operations over a recording window.
class FakeDialog : public MainDialog {
public:
    FakeDialog(CallLog& log, RecordingGui& gui, SystemServices& system, std::int32_t answer, WhileModal whileModal)
        : log_(log), port_(gui, system), answer_(answer), whileModal_(std::move(whileModal)) {}
    ~FakeDialog() override { log_.push_back("~Dialog"); }

    FirmwareState& state() override { return state_; }
    OperationsPort& port() override { return port_; }
    void DoModal(const FirmwareContext& context) override {
        log_.push_back("DoModal(devices=" + std::to_string(state_.devices.Count()) + ")");
        if (&context.port != &port_) log_.push_back("DoModal: the operations report elsewhere");
        if (whileModal_) whileModal_(context, state_);
        restartConfirmed_ = answer_;
    }
    std::int32_t restartConfirmed() const override { return restartConfirmed_; }

private:
    CallLog& log_;
    DialogPort port_;
    FirmwareState state_;
    std::int32_t answer_;
    std::int32_t restartConfirmed_ = 0;
    WhileModal whileModal_;
};

class FakeDialogFactory : public MainDialogFactory {
public:
    FakeDialogFactory(CallLog& log, RecordingGui& gui, SystemServices& system) : log_(log), gui_(gui), system_(system) {}

    // What the user answers to the restart prompt on leaving the dialog.
    std::int32_t restartAnswer = 0;
    bool outOfMemory = false;
    // Runs inside DoModal, while the dialog is "open".
    WhileModal whileModal;

    std::unique_ptr<MainDialog> Create() override {
        log_.push_back("CreateDialog");
        if (outOfMemory) return nullptr;
        return std::make_unique<FakeDialog>(log_, gui_, system_, restartAnswer, whileModal);
    }

private:
    CallLog& log_;
    RecordingGui& gui_;
    SystemServices& system_;
};
