#pragma once
// The ScsiTransport for host tests of the operations and of start-up: a
// drive whose answers are scripted. The commands run through the shared
// operations of ScsiTransport down to Send, which records what reached the
// drive. Calls worth ordering go into a shared log ("Open(0:1)",
// "ModeSense()", "Close()", "Enumerate", "~Transport"); any command the
// script does not cover is logged as unexpected and fails.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "device/scsi_transport.h"

class FakeTransport : public ScsiTransport {
public:
    struct Download {
        const std::uint8_t* data;
        std::uint8_t blockNumber;
        std::uint16_t blockSum, length, imageSum;
    };
    struct Read {
        std::uint8_t bufferId;
        std::uint16_t offset, length;
    };

    explicit FakeTransport(std::vector<std::string>& log, std::int32_t initialised = 1, int driveCount = 0);
    ~FakeTransport() override;

    // Drives Enumerate lists (target ids 0, 1, ...).
    int driveCount;
    int openResult = 1;
    int modeSenseResult = 1;
    // The capabilities MODE SENSE reports: a DVD-ROM-only drive, or one
    // that also writes CD-R.
    std::int32_t dvdRomOnlyAfterModeSense = 1;
    // Replaces the opened record's imageSize when nonzero.
    std::uint32_t imageSizeAfterOpen = 0;
    // Results of the next commands; accepted once the list runs out.
    std::deque<int> downloadResults, readResults;
    // Runs inside each vendor download / read, before it answers.
    std::function<void()> duringCommand;
    // A refused vendor download reports the drive gone (as SG_IO does when
    // the device went away).
    bool goneOnRefusal = false;
    // Every command's report says it was abandoned.
    bool abandoned = false;
    // What the system said, as the refusal in the report of an Open that
    // fails ("" for none).
    std::string systemProblem;

    // Every command that reached Send, with the data pointer it carried.
    struct Sent {
        commands::Command command;
        const std::uint8_t* data;
    };
    std::vector<Sent> sent;
    // What INQUIRY answers: its result and the data in the reply area.
    int inquiryResult = 1;
    std::array<std::uint8_t, 512> inquiryData{};

    std::vector<DeviceRecord> opened;
    std::vector<Download> downloads;
    std::vector<Read> reads;
    int closes = 0;

    // The byte the drive holds at a linear offset of its firmware.
    static std::uint8_t FirmwareByte(std::uint32_t offset) {
        return static_cast<std::uint8_t>(offset * 7 + (offset >> 14));
    }

    void Enumerate(DeviceList& list) override;
    int Open(const DeviceRecord& record) override;
    void Close() override;

protected:
    int Send(const commands::Command& command, std::uint8_t* data) override;
    const std::uint8_t* Reply() const override { return reply_.data(); }
    commands::Backend backend() const override { return commands::Backend::PassThrough; }

private:
    static int Next(std::deque<int>& results);
    int Unexpected(const commands::Command& command);

    std::vector<std::string>& log_;
    std::array<std::uint8_t, 512> reply_{};
};
