#pragma once
// The ScsiTransport for Windows 95/98: every command goes to the drive as
// one ASPI for Win32 request through the ASPI manager, wnaspi32.dll, which
// is loaded at run time. Devices are addressed by host adapter, target and
// LUN; there is no device handle, so Open only copies the record.

#include <cstdint>

#include "aspi_library.h"
#include "aspi_srb.h"
#include "command_set.h"
#include "scsi_transport.h"

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

    // True once a request has outlived its bound. ASPI still owns that
    // request, so the transport sends nothing more (see aspi_transport.cpp).
    bool requestAbandoned() const override { return requestAbandoned_; }

private:
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
    platform::AspiLibrary::ModuleHandle aspiLibrary_ = nullptr;
    platform::AspiLibrary::EntryAddress supportInfoEntry_ = nullptr;
    platform::AspiLibrary::EntryAddress sendCommandEntry_ = nullptr;
    const std::uint32_t completionBoundMs_;
    bool requestAbandoned_ = false;

    // The request block of every SCSI command and the transport's own data
    // area for INQUIRY and MODE SENSE, both rebuilt and zero-filled for each
    // command. They live in the transport rather than on the stack so that
    // a request given up after its bound can only ever be written into
    // memory that nothing else uses.
    aspi::SRB_ExecSCSICmd request_;
    std::uint8_t dataBuffer_[commands::kAspiDataBufferSize];
};
