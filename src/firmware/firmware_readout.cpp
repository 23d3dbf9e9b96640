#include "firmware/firmware_readout.h"

#include <cstring>

#include "firmware/status_text.h"

ReadOutExit ReadOutFirmware(const FirmwareContext& context, FirmwareState& state, std::uint8_t* image) {
    OperationsReport& report = context.port;
    ScsiTransport& transport = context.transport;
    const std::uint32_t imageSize = transport.current.imageSize;
    std::uint32_t offset = 0;
    int failures = 0;
    // No sleep while the drive's firmware is read, until every exit below.
    PhaseScope readOut(report, Phase::ReadOut);

    while (offset < imageSize) {
        if (failures >= kReadAttemptsPerBlock) {
            MessageText text;
            text.Format("Error Happen in ID %x OFFSET 0x%04X", static_cast<unsigned>((offset >> 16) & 0xFFu),
                        static_cast<unsigned>(offset & 0xFFFFu));
            ReportStatus(context, text.c_str());
            return ReadOutExit::BlockUnread;
        }
        // Every prepared record's image is a whole number of blocks; a last
        // part block is still read only as far as the buffer goes.
        const std::uint32_t length = imageSize - offset < kBlockSize ? imageSize - offset : kBlockSize;
        const int read = transport.ReadBufferMode1(image + offset, static_cast<std::uint8_t>(offset >> 16),
                                                   static_cast<std::uint16_t>(offset & 0xFFFFu),
                                                   static_cast<std::uint16_t>(length));
        report.BlockAttempted(Phase::ReadOut, static_cast<int>(offset / kBlockSize) + 1, failures + 1, read != 0);
        if (read == 0) {
            // Requested again at once, without a pause.
            ++failures;
            continue;
        }
        failures = 0;
        offset += length;
        state.progress = static_cast<std::int32_t>(offset * 100u / imageSize);
        report.ShowProgress(state.progress);
    }
    readOut.Succeeded();
    return ReadOutExit::Read;
}

BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image) {
    BlockComparison result;
    for (std::size_t block = 0; block < package_layout::kBlockCount; ++block) {
        const std::size_t offset = block * kBlockSize;
        result.same[block] = std::memcmp(drive + offset, image + offset, kBlockSize) == 0;
        if (!result.same[block]) ++result.differing;
    }
    return result;
}
