#pragma once
// The ASPI library service of the product: wnaspi32.dll loaded with
// LoadLibraryA, its entries found with GetProcAddress, kernel32 events,
// Sleep and GetTickCount.

#include "platform/aspi_library.h"

namespace platform {

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

}  // namespace platform
