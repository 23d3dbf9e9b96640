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
    ~AspiTransport() override;

    void Enumerate(DeviceList& list) override;
    // ASPI has no device handle: Open copies the record, Close does nothing.
    int Open(const DeviceRecord& record) override;
    void Close() override;

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

    // The outcome of a request ASPI completed, kept in the report: 1 for SS_COMP.
    int JudgeCompleted();
    // Sends one command and polls its status until it completes or its
    // bound runs out; `buffer` is the data area (null without data).
    int ExecutePolled(const commands::Command& command, std::uint8_t* buffer);
    // Sends the vendor download command and waits on an event for it.
    int ExecuteWithEvent(const commands::Command& command, const std::uint8_t* buffer);
    // Zero-fills the request block and fills it for `command`.
    void BuildRequest(const commands::Command& command, std::uint8_t flags, std::uint8_t lun,
                      const std::uint8_t* buffer);
    // Polls SRB_Status; false when the bound ran out with the request pending.
    bool PollUntilComplete(std::uint32_t boundMs);
    std::uint32_t BoundMs(const commands::Command& command) const;
    bool CanSend() const;

    platform::AspiLibrary& library_;
    // Released at destruction unless a request was abandoned.
    OwnedHandle<platform::AspiLibrary::ModuleHandle, ReleaseModule> aspiLibrary_;
    platform::AspiLibrary::EntryAddress supportInfoEntry_ = nullptr;
    platform::AspiLibrary::EntryAddress sendCommandEntry_ = nullptr;
    const std::uint32_t completionBoundMs_;
    bool requestAbandoned_ = false;

    // The request block of every command and the reply area, rebuilt for
    // each: members, so that a request given up after its bound can only
    // ever be written into memory that nothing else uses.
    aspi::SRB_ExecSCSICmd request_;
    std::uint8_t dataBuffer_[commands::kAspiDataBufferSize];
};
