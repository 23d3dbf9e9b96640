#include "platform/win32/win32_services.h"

#include <windows.h>

namespace platform {

namespace {

// The published prototypes of the ASPI for Win32 entries: C calling
// convention (the compiler default of the ASPI headers), no name decoration.
using GetASPI32SupportInfoFn = DWORD(__cdecl*)(void);
using SendASPI32CommandFn = DWORD(__cdecl*)(void*);

static_assert(sizeof(AspiLibrary::ModuleHandle) == sizeof(HMODULE), "a module handle fits");
static_assert(sizeof(AspiLibrary::EventHandle) == sizeof(HANDLE), "an event handle fits");

}  // namespace

AspiLibrary::ModuleHandle Win32AspiLibrary::Load(const char* name) { return ::LoadLibraryA(name); }

void Win32AspiLibrary::Release(ModuleHandle module) {
    if (module) ::FreeLibrary(static_cast<HMODULE>(module));
}

AspiLibrary::EntryAddress Win32AspiLibrary::FindEntry(ModuleHandle module, const char* name) {
    // FARPROC and EntryAddress are both pointers to functions; the entry is
    // only ever called through its published prototype below.
    return reinterpret_cast<EntryAddress>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

std::uint32_t Win32AspiLibrary::CallSupportInfo(EntryAddress supportInfo) {
    return reinterpret_cast<GetASPI32SupportInfoFn>(supportInfo)();
}

std::uint32_t Win32AspiLibrary::CallSendCommand(EntryAddress sendCommand, void* srb) {
    return reinterpret_cast<SendASPI32CommandFn>(sendCommand)(srb);
}

AspiLibrary::EventHandle Win32AspiLibrary::CreateManualResetEvent() {
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

bool Win32AspiLibrary::ResetEvent(EventHandle event) { return ::ResetEvent(event) != FALSE; }

AspiLibrary::WaitResult Win32AspiLibrary::WaitForEvent(EventHandle event, std::uint32_t timeoutMs) {
    // INFINITE would lift the bound; the longest bound in use is far below it.
    const DWORD limit = timeoutMs == INFINITE ? INFINITE - 1 : timeoutMs;
    switch (::WaitForSingleObject(event, limit)) {
        case WAIT_OBJECT_0:
            return WaitResult::Signalled;
        case WAIT_TIMEOUT:
            return WaitResult::TimedOut;
        default:
            return WaitResult::Failed;
    }
}

void Win32AspiLibrary::CloseEvent(EventHandle event) { ::CloseHandle(event); }

// Sleep rather than SwitchToThread, which Windows 95/98 lack; Sleep(0)
// gives the rest of the time slice to any ready thread of equal priority.
void Win32AspiLibrary::Pause(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

// GetTickCount, not GetTickCount64 (Windows Vista and later).
std::uint32_t Win32AspiLibrary::TickMs() { return ::GetTickCount(); }

}  // namespace platform
