#pragma once
// Fakes for the application object's services. Every call of every fake goes
// into one shared log, in order, so that a test can compare the whole
// sequence start-up or restart produced.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "main_dialog.h"
#include "recording_gui.h"
#include "system_services.h"
#include "transport_factory.h"

using CallLog = std::vector<std::string>;

std::string Hex(std::uint64_t value);

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

    int GetVersionEx(OsVersionRecord& record) override;
    int OpenProcessToken(std::uint32_t access, TokenHandle& handle) override;
    int LookupPrivilegeValue(const char* name, PrivilegeId& id) override;
    int AdjustTokenPrivileges(TokenHandle handle, const PrivilegeId& id, std::uint32_t attributes) override;
    int CloseToken(TokenHandle handle) override;
    std::uint32_t GetLastError() override;
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint32_t GetCurrentDirectory(std::uint32_t bufferLength, char* buffer) override;

private:
    CallLog& log_;
};

// Message boxes go to a RecordingGui, which logs them as Box(text|caption|style).
void LogBoxes(RecordingGui& gui, CallLog& log);

// A transport that finds `driveCount` drives and logs its own end.
class FakeTransport : public ScsiTransport {
public:
    FakeTransport(CallLog& log, int initialised, int driveCount);
    ~FakeTransport() override;

    void Enumerate(DeviceList& list) override;
    int Inquiry() override;
    int Prepare() override;
    int ModeSense() override;
    int Open(const DeviceRecord& record) override;
    void Close() override;
    int ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                        std::uint16_t length) override;
    int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                        std::uint16_t length) override;
    int WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                         std::uint16_t length) override;
    int WriteBufferMode4() override;
    int TestUnitReady() override;
    int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                       std::uint16_t length, std::uint16_t imageSum) override;

private:
    int Unexpected(const char* name);

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

    std::unique_ptr<ScsiTransport> MakePassThrough() override;
    std::unique_ptr<ScsiTransport> MakeAspi() override;

private:
    std::unique_ptr<ScsiTransport> Make(const char* kind);

    CallLog& log_;
};

class FakeDialog : public MainDialog {
public:
    FakeDialog(CallLog& log, std::int32_t answer, std::function<void()> whileModal);
    ~FakeDialog() override;

    DeviceList& devices() override { return devices_; }
    void DoModal() override;
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

    std::unique_ptr<MainDialog> Create() override;

private:
    CallLog& log_;
};
