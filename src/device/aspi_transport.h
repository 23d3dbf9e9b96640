#pragma once
// The ScsiTransport for Windows 95/98: every command is one ASPI for Win32
// request through the ASPI manager, wnaspi32.dll, loaded at run time.
// Devices are addressed by host adapter, target and LUN.

#include <cstdint>

#include "device/aspi_srb.h"
#include "device/command_set.h"
#include "device/scsi_transport.h"
#include "platform/aspi_library.h"
#include "platform/owned_handle.h"

class AspiTransport : public ScsiTransport {
public:
    // Use each command's own time-out as the bound on its completion.
    static constexpr std::uint32_t kBoundFromCommand = 0;

    // Loads the ASPI manager through `library`, which must outlive the
    // transport. `completionBoundMs` replaces every command's bound when it
    // is not kBoundFromCommand (tests use a short one).
    explicit AspiTransport(platform::AspiLibrary& library, std::uint32_t completionBoundMs = kBoundFromCommand);
    // ASPI may still be running code of its own for an abandoned request.
    ~AspiTransport() override {
        if (requestAbandoned_) aspiLibrary_.Abandon();
    }

    void Enumerate(DeviceList& list) override;
    // ASPI has no device handle: Open copies the record, Close does nothing.
    int Open(const DeviceRecord& record) override {
        CopyToCurrent(record);
        return 1;
    }
    void Close() override {}

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return dataBuffer_; }
    commands::Backend backend() const override { return commands::Backend::Aspi; }

private:
    struct ReleaseModule {
        platform::AspiLibrary* library;
        void operator()(platform::AspiLibrary::ModuleHandle module) const { library->Release(module); }
    };
    struct CloseEvent {
        platform::AspiLibrary* library;
        void operator()(platform::AspiLibrary::EventHandle event) const { library->CloseEvent(event); }
    };
    using OwnedEvent = OwnedHandle<platform::AspiLibrary::EventHandle, CloseEvent>;

    // Sends one command and polls its status until it completes or the bound
    // runs out; `buffer` is the data area (null without data).
    int ExecutePolled(const commands::Command& command, std::uint8_t* buffer, std::uint32_t boundMs);
    // Sends the vendor download command and waits on an event for it.
    int ExecuteWithEvent(const commands::Command& command, const std::uint8_t* buffer, std::uint32_t boundMs);
    bool CanSend() const { return aspiLibrary_.valid() && sendCommandEntry_ && !requestAbandoned_; }

    platform::AspiLibrary& library_;
    // Released at destruction unless a request was abandoned.
    OwnedHandle<platform::AspiLibrary::ModuleHandle, ReleaseModule> aspiLibrary_;
    platform::AspiLibrary::EntryAddress sendCommandEntry_ = nullptr;
    const std::uint32_t completionBoundMs_;
    bool requestAbandoned_ = false;
    // The request block of every command and the reply area, rebuilt for
    // each: members, not stack variables (see aspi_transport.cpp).
    aspi::SRB_ExecSCSICmd request_{};
    std::uint8_t dataBuffer_[commands::kAspiDataBufferSize] = {};
};
