#include "app_fakes.h"

#include <cstdio>
#include <cstring>

#include "program_state.h"

std::string Hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

namespace {

std::string HandleText(TokenHandle handle) { return Hex(reinterpret_cast<std::uintptr_t>(handle)); }

}  // namespace

// ---- FakeSystem

int FakeSystem::GetVersionEx(OsVersionRecord& record) {
    log_.push_back("GetVersionEx(size=" + std::to_string(record.dwOSVersionInfoSize) + ")");
    if (versionResult == 0) return 0;
    record.dwMajorVersion = majorVersion;
    record.dwPlatformId = platformId;
    return versionResult;
}

int FakeSystem::OpenProcessToken(std::uint32_t access, TokenHandle& handle) {
    log_.push_back("OpenProcessToken(" + Hex(access) + ")");
    if (openTokenResult == 0) return 0;
    handle = token;
    return openTokenResult;
}

int FakeSystem::LookupPrivilegeValue(const char* name, PrivilegeId& id) {
    log_.push_back(std::string("LookupPrivilegeValue(") + (name ? name : "null") + ")");
    if (lookupResult == 0) return 0;
    id = shutdownId;
    return lookupResult;
}

int FakeSystem::AdjustTokenPrivileges(TokenHandle handle, const PrivilegeId& id, std::uint32_t attributes) {
    log_.push_back("AdjustTokenPrivileges(" + HandleText(handle) + "," + Hex(id.lowPart) + ":" +
                   std::to_string(id.highPart) + "," + Hex(attributes) + ")");
    return 1;
}

int FakeSystem::CloseToken(TokenHandle handle) {
    log_.push_back("CloseToken(" + HandleText(handle) + ")");
    return 1;
}

std::uint32_t FakeSystem::GetLastError() {
    log_.push_back("GetLastError()=" + std::to_string(lastError));
    return lastError;
}

int FakeSystem::ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) {
    log_.push_back("ExitWindowsEx(" + std::to_string(flags) + "," + std::to_string(reserved) + ")");
    return exitResult;
}

void FakeSystem::Sleep(std::uint32_t milliseconds) { log_.push_back("Sleep(" + std::to_string(milliseconds) + ")"); }

std::uint32_t FakeSystem::GetCurrentDirectory(std::uint32_t, char*) {
    log_.push_back("GetCurrentDirectory");
    return 0;
}

// ---- message boxes

void LogBoxes(RecordingGui& gui, CallLog& log) {
    gui.whileBoxOpen = [&log](const RecordingGui::ShownBox& box) {
        log.push_back("Box(" + box.text + "|" + (box.hasCaption ? box.caption : "<default>") + "|" +
                      std::to_string(box.style) + ")");
    };
}

// ---- FakeTransport

FakeTransport::FakeTransport(CallLog& log, int initialised, int driveCount) : log_(log), driveCount_(driveCount) {
    initOk = initialised;
}

FakeTransport::~FakeTransport() { log_.push_back("~Transport"); }

void FakeTransport::Enumerate(DeviceList& list) {
    // Start-up publishes the transport before it asks for the drives.
    log_.push_back(std::string("Enumerate(published=") + (g_transport == this ? "yes" : "no") + ")");
    for (int i = 0; i < driveCount_; ++i) {
        DeviceRecord record{};
        record.targetId = static_cast<std::uint8_t>(i);
        list.Append(record);
    }
}

int FakeTransport::Unexpected(const char* name) {
    log_.push_back(std::string("unexpected ") + name);
    return 0;
}

int FakeTransport::Inquiry() { return Unexpected("Inquiry"); }
int FakeTransport::Prepare() { return Unexpected("Prepare"); }
int FakeTransport::ModeSense() { return Unexpected("ModeSense"); }
int FakeTransport::Open(const DeviceRecord&) { return Unexpected("Open"); }
void FakeTransport::Close() { Unexpected("Close"); }
int FakeTransport::ReadBufferMode2(std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) {
    return Unexpected("ReadBufferMode2");
}
int FakeTransport::ReadBufferMode1(std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) {
    return Unexpected("ReadBufferMode1");
}
int FakeTransport::WriteBufferMode7(const std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) {
    return Unexpected("WriteBufferMode7");
}
int FakeTransport::WriteBufferMode4() { return Unexpected("WriteBufferMode4"); }
int FakeTransport::TestUnitReady() { return Unexpected("TestUnitReady"); }
int FakeTransport::VendorDownload(const std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t, std::uint16_t) {
    return Unexpected("VendorDownload");
}

// ---- FakeTransportFactory

std::unique_ptr<ScsiTransport> FakeTransportFactory::MakePassThrough() { return Make("MakePassThrough"); }

std::unique_ptr<ScsiTransport> FakeTransportFactory::MakeAspi() { return Make("MakeAspi"); }

std::unique_ptr<ScsiTransport> FakeTransportFactory::Make(const char* kind) {
    log_.push_back(std::string(kind) + "(mask=" + Hex(g_versionCheckMask) + ")");
    if (outOfMemory) return nullptr;
    return std::make_unique<FakeTransport>(log_, initOk, driveCount);
}

// ---- FakeDialog

FakeDialog::FakeDialog(CallLog& log, std::int32_t answer, std::function<void()> whileModal)
    : log_(log), answer_(answer), whileModal_(std::move(whileModal)) {}

FakeDialog::~FakeDialog() { log_.push_back("~Dialog"); }

void FakeDialog::DoModal() {
    log_.push_back("DoModal(devices=" + std::to_string(devices_.Count()) + ")");
    if (whileModal_) whileModal_();
    restartConfirmed_ = answer_;
}

std::unique_ptr<MainDialog> FakeDialogFactory::Create() {
    log_.push_back("CreateDialog");
    if (outOfMemory) return nullptr;
    return std::make_unique<FakeDialog>(log_, restartAnswer, whileModal);
}
