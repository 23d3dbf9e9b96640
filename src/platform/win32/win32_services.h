#pragma once
// The Win32 implementations of the platform's interfaces that the Windows
// programs' entry points create, each defined in a .cpp of this folder.

#include "platform/aspi_library.h"
#include "platform/file_service.h"
#include "platform/interrupt_guard.h"
#include "platform/message_service.h"
#include "platform/power_source.h"
#include "platform/restart_service.h"
#include "platform/system_services.h"
#include "platform/volume_service.h"
#include "platform/wait_timer.h"

// GetSystemPowerStatus, taken at run time so that the programs' imports stay
// as they are; without it the status is unknown.
class Win32PowerSource : public PowerSource {
public:
    PowerStatus Read() override;
};

namespace platform {

class Win32SystemServices : public SystemServices {
public:
    int QueryVersion(OsVersionRecord& record) override;
    void Sleep(std::uint32_t milliseconds) override;
    // GetTickCount, not GetTickCount64 (Windows Vista and later).
    std::uint32_t Milliseconds() override;
    void KeepSystemAwake(bool awake) override;
    std::uint32_t CurrentDirectory(std::uint32_t bufferLength, char* buffer) override;
};

class Win32VolumeService : public VolumeService {
public:
    VolumeHandle OpenVolume(const char* name, std::uint32_t access, std::uint32_t sharing) override;
    int DeviceIoControl(VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength, void* out,
                        std::uint32_t outLength) override;
    std::uint32_t LastError() override;
    int CloseVolume(VolumeHandle handle) override;
    DeviceMapResult ReadScsiDeviceMap(std::uint32_t& subkeyCount) override;
};

class Win32AspiLibrary : public AspiLibrary {
public:
    ModuleHandle Load(const char* name) override;
    void Release(ModuleHandle module) override;
    EntryAddress FindEntry(ModuleHandle module, const char* name) override;
    std::uint32_t CallSupportInfo(EntryAddress supportInfo) override;
    std::uint32_t CallSendCommand(EntryAddress sendCommand, void* srb) override;
    EventHandle CreateManualResetEvent() override;
    bool ResetEvent(EventHandle event) override;
    WaitResult WaitForEvent(EventHandle event, std::uint32_t timeoutMs) override;
    void CloseEvent(EventHandle event) override;
    void Pause(std::uint32_t milliseconds) override;
    std::uint32_t TickMs() override;
};

// The token and the privilege from advapi32, ExitWindowsEx from user32.
class Win32RestartService : public RestartService {
public:
    int OpenProcessToken(std::uint32_t access, TokenHandle& token) override;
    int LookupPrivilege(const char* name, PrivilegeId& id) override;
    int AdjustTokenPrivileges(TokenHandle token, const PrivilegeId& id, std::uint32_t attributes) override;
    int CloseToken(TokenHandle token) override;
    std::uint32_t GetLastError() override;
    int ExitWindowsEx(std::uint32_t flags, std::uint32_t reserved) override;
};

class Win32MessageService : public MessageService {
public:
    void ShowMessage(const char* text, const char* caption) override;
};

// Only kernel32: no C++ runtime or thread library is linked into the
// shipped programs.
class Win32WaitTimer : public WaitTimer {
public:
    Win32WaitTimer() = default;
    ~Win32WaitTimer() override { Stop(); }
    Win32WaitTimer(const Win32WaitTimer&) = delete;
    Win32WaitTimer& operator=(const Win32WaitTimer&) = delete;

    bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) override;
    void Stop() override;

    // The thread's body; public for the thread's entry function only.
    void Run();

private:
    void* stopEvent_ = nullptr;  // HANDLE: set by Stop
    void* thread_ = nullptr;     // HANDLE
    WaitListener* listener_ = nullptr;
    std::uint32_t firstMs_ = 0;
    std::uint32_t everyMs_ = 0;
};

// A console control handler that swallows Ctrl+C and Ctrl+Break between
// Hold and Release.
class ConsoleBreakGuard : public InterruptGuard {
public:
    ~ConsoleBreakGuard() override { Release(); }
    void Hold() override;
    void Release() override;

private:
    bool installed_ = false;
};

}  // namespace platform

// The read-out's files: CreateFileA with OPEN_ALWAYS (create when missing,
// keep the contents when present), GetFileSize, SetFilePointer with
// SetEndOfFile, WriteFile and CloseHandle.
class Win32FileService : public FileService {
public:
    FileHandle OpenForWriteNoTruncate(const char* path) override;
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    void Close(FileHandle file) override;
};
