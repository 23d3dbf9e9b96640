#include "firmware/block_download.h"

#include "firmware/firmware_package.h"
#include "firmware/upgrade_procedure.h"

namespace {

// Progress after `offset` of `imageSize` bytes have been accepted. 100 is
// shown only after the closing pause: the step of the last block shows 75
// in its place.
int DownloadProgress(std::uint32_t offset, std::uint32_t imageSize) {
    const std::uint32_t percent = offset * 100u / imageSize;
    return percent == 100u ? 75 : static_cast<int>(percent);
}

}  // namespace

DownloadEnd RunBlockDownload(const FirmwareContext& context, FirmwareState& state, const std::uint8_t* image) {
    OperationsReport& report = context.port;
    ScsiTransport& transport = context.transport;
    const std::uint32_t imageSize = transport.current.imageSize;

    // The image sum once for the whole run; each block's sum one block ahead.
    const std::uint16_t imageSum = byteSum16(image, imageSize);
    std::uint8_t blockNumber = 1;
    std::uint32_t offset = 0;
    int failures = 0;
    std::uint16_t blockSum = byteSum16(image, kBlockSize);
    DownloadEnd end;

    // No sleep and no interruption while blocks go to the flash, until
    // every exit below.
    PhaseScope download(report, Phase::Download);

    while (failures < kDownloadAttemptsPerBlock) {
        const int result = transport.VendorDownload(image + offset, blockNumber, blockSum,
                                                    static_cast<std::uint16_t>(kBlockSize), imageSum);
        if (!transport.lastCommand().neverSent) end.reachedDrive = true;
        report.BlockAttempted(Phase::Download, blockNumber, failures + 1, result != 0);
        if (result == 0) {
            // Sent again at once, no other command in between; only the
            // SG_IO transport can tell that the drive has gone.
            ++failures;
            end.deviceGone = transport.lastCommand().deviceGone;
            if (end.deviceGone) break;
            continue;
        }
        failures = 0;
        offset += kBlockSize;
        ++blockNumber;
        if (offset < imageSize) blockSum = byteSum16(image + offset, kBlockSize);
        state.progress = DownloadProgress(offset, imageSize);
        report.ShowProgress(state.progress);
        if (offset >= imageSize) {
            context.system.Sleep(kDownloadSettleMs);
            report.ShowProgress(100);
            download.Succeeded();
            end.succeeded = true;
            return end;
        }
    }

    // Only the low 16 bits of the offset are shown: block 5 reads 0x0000.
    MessageText text;
    text.Format("Error Happen in ID %x OFFSET 0x%04X\nPlease check whether your selected device is fit for the F/W !",
                static_cast<unsigned>(blockNumber), static_cast<unsigned>(offset & 0xFFFFu));
    ReportStatus(context, text.c_str());
    end.block = blockNumber;
    end.tries = failures;
    return end;
}
