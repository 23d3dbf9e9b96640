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

#include "main_dialog.h"
#include "program_state.h"
#include "recording_gui.h"
#include "system_services.h"
#include "transport_factory.h"

using CallLog = std::vector<std::string>;

inline std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

inline std::string Hex(TokenHandle handle) { return Hex(reinterpret_cast<std::uintptr_t>(handle)); }

// Operating-system services with scripted results.
class FakeSystem : public SystemServices {
public:
    explicit FakeSystem(CallLog& log) : log_(log) {}

    int versionResult = 1;
    std::uint32_t platformId = kPlatformNt;
    std::uint32_t majorVersion = 5;
    int openTokenResult = 1;
    TokenHandle token = reinterpret_cast<TokenHandle>(0x7A);
    int lookupResult = 1;
    PrivilegeId shutdownId{0x13, 0};
    std::uint32_t lastError = 0;
    int exitResult = 1;

    int GetVersionEx(OsVersionRecord& record) override {
        log_.push_back("GetVersionEx(size=" + std::to_string(record.dwOSVersionInfoSize) + ")");
        if (versionResult == 0) return 0;
        record.dwMajorVersion = majorVersion;
        record.dwPlatformId = platformId;
        return versionResult;
    }
    int OpenProcessToken(std::uint32_t access, TokenHandle& handle) override {
        log_.push_back("OpenProcessToken(" + Hex(access) + ")");
        if (openTokenResult != 0) handle = token;
        return openTokenResult;
    }
    int LookupPrivilegeValue(const char* name, PrivilegeId& id) override {
        log_.push_back(std::string("LookupPrivilegeValue(") + (name ? name : "null") + ")");
        if (lookupResult != 0) id = shutdownId;
        return lookupResult;
    }
    int AdjustTokenPrivileges(TokenHandle handle, const PrivilegeId& id, std::uint32_t attributes) override {
        log_.push_back("AdjustTokenPrivileges(" + Hex(handle) + "," + Hex(id.lowPart) + ":" +
                       std::to_string(id.highPart) + "," + Hex(attributes) + ")");
        return 1;
    }
    int CloseToken(TokenHandle handle) override {
        log_.push_back("CloseToken(" + Hex(handle) + ")");
        return 1;
    }
    std::uint32_t GetLastError() override {
        log_.push_back("GetLastError()=" + std::to_string(lastError));
        return lastError;
    }
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override {
        log_.push_back("ExitWindowsEx(" + std::to_string(flags) + "," + std::to_string(reserved) + ")");
        return exitResult;
    }
    void Sleep(std::uint32_t milliseconds) override { log_.push_back("Sleep(" + std::to_string(milliseconds) + ")"); }
    void KeepSystemAwake(bool awake) override {
        log_.push_back(std::string("KeepSystemAwake(") + (awake ? "true" : "false") + ")");
    }
    std::uint32_t GetCurrentDirectory(std::uint32_t, char*) override {
        log_.push_back("GetCurrentDirectory");
        return 0;
    }

private:
    CallLog& log_;
};

// Message boxes go to a RecordingGui, which logs them as Box(text|caption|style).
inline void LogBoxes(RecordingGui& gui, CallLog& log) {
    gui.whileBoxOpen = [&log](const RecordingGui::ShownBox& box) {
        log.push_back("Box(" + box.text + "|" + (box.hasCaption ? box.caption : "<default>") + "|" +
                      std::to_string(box.style) + ")");
    };
}

// A transport that finds `driveCount` drives and logs its own end. Start-up
// only searches for drives; any other operation is logged as unexpected.
class FakeTransport : public ScsiTransport {
public:
    FakeTransport(CallLog& log, int initialised, int driveCount) : log_(log), driveCount_(driveCount) {
        initOk = initialised;
    }
    ~FakeTransport() override { log_.push_back("~Transport"); }

    // What requestAbandoned() reports.
    bool abandoned = false;
    bool requestAbandoned() const override { return abandoned; }

    void Enumerate(DeviceList& list) override {
        // Start-up publishes the transport before it asks for the drives.
        log_.push_back(std::string("Enumerate(published=") + (g_transport == this ? "yes" : "no") + ")");
        for (int i = 0; i < driveCount_; ++i) {
            DeviceRecord record{};
            record.targetId = static_cast<std::uint8_t>(i);
            list.Append(record);
        }
    }
    int Inquiry() override { return Unexpected("Inquiry"); }
    int Prepare() override { return Unexpected("Prepare"); }
    int ModeSense() override { return Unexpected("ModeSense"); }
    int Open(const DeviceRecord&) override { return Unexpected("Open"); }
    void Close() override { Unexpected("Close"); }
    int ReadBufferMode2(std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) override {
        return Unexpected("ReadBufferMode2");
    }
    int ReadBufferMode1(std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) override {
        return Unexpected("ReadBufferMode1");
    }
    int WriteBufferMode7(const std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) override {
        return Unexpected("WriteBufferMode7");
    }
    int WriteBufferMode4() override { return Unexpected("WriteBufferMode4"); }
    int TestUnitReady() override { return Unexpected("TestUnitReady"); }
    int VendorDownload(const std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t, std::uint16_t) override {
        return Unexpected("VendorDownload");
    }

private:
    int Unexpected(const char* name) {
        log_.push_back(std::string("unexpected ") + name);
        return 0;
    }

    CallLog& log_;
    int driveCount_;
};

// Logs which transport was asked for and the mask copy at that moment.
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

    std::unique_ptr<ScsiTransport> MakePassThrough() override { return Make("MakePassThrough"); }
    std::unique_ptr<ScsiTransport> MakeAspi() override { return Make("MakeAspi"); }

private:
    std::unique_ptr<ScsiTransport> Make(const char* kind) {
        log_.push_back(std::string(kind) + "(mask=" + Hex(g_versionCheckMask) + ")");
        if (outOfMemory) return nullptr;
        auto transport = std::make_unique<FakeTransport>(log_, initOk, driveCount);
        transport->abandoned = abandonsRequest;
        last = transport.get();
        return transport;
    }

    CallLog& log_;
};

class FakeDialog : public MainDialog {
public:
    FakeDialog(CallLog& log, std::int32_t answer, std::function<void()> whileModal)
        : log_(log), answer_(answer), whileModal_(std::move(whileModal)) {}
    ~FakeDialog() override { log_.push_back("~Dialog"); }

    DeviceList& devices() override { return devices_; }
    void DoModal() override {
        log_.push_back("DoModal(devices=" + std::to_string(devices_.Count()) + ")");
        if (whileModal_) whileModal_();
        restartConfirmed_ = answer_;
    }
    std::int32_t restartConfirmed() const override { return restartConfirmed_; }

private:
    CallLog& log_;
    DeviceList devices_;
    std::int32_t answer_;
    std::int32_t restartConfirmed_ = 0;
    std::function<void()> whileModal_;
};

class FakeDialogFactory : public MainDialogFactory {
public:
    explicit FakeDialogFactory(CallLog& log) : log_(log) {}

    // What the user answers to the restart prompt on leaving the dialog.
    std::int32_t restartAnswer = 0;
    bool outOfMemory = false;
    // Runs inside DoModal, while the dialog is "open".
    std::function<void()> whileModal;

    std::unique_ptr<MainDialog> Create() override {
        log_.push_back("CreateDialog");
        if (outOfMemory) return nullptr;
        return std::make_unique<FakeDialog>(log_, restartAnswer, whileModal);
    }

private:
    CallLog& log_;
};
