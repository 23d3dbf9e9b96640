#include "firmware_readout.h"

#include "scsi_transport.h"
#include "stay_awake.h"
#include "status_text.h"
#include "system_services.h"
#include "upgrade_dialog.h"

int ReadOutFirmware(UpgradeDialog& dialog, ScsiTransport& transport) {
    GuiContract& gui = dialog.gui();
    const std::uint32_t imageSize = transport.current.imageSize;
    std::uint32_t offset = 0;
    int failures = 0;
    // No sleep while the drive's firmware is read, until every exit below.
    const StayAwake awake(*dialog.services().system);

    while (offset < imageSize) {
        if (failures >= kReadAttemptsPerBlock) {
            gui.SetItemText(kStatusLine, FormatText("Error Happen in ID %x OFFSET 0x%04X",
                                                    static_cast<unsigned>((offset >> 16) & 0xFFu),
                                                    static_cast<unsigned>(offset & 0xFFFFu)));
            return 0;
        }
        // Every prepared record's image is a whole number of blocks; a last
        // part block is still read only as far as the buffer goes.
        const std::uint32_t length = imageSize - offset < kBlockSize ? imageSize - offset : kBlockSize;
        const int read = transport.ReadBufferMode1(dialog.imageBuffer + offset, static_cast<std::uint8_t>(offset >> 16),
                                                   static_cast<std::uint16_t>(offset & 0xFFFFu),
                                                   static_cast<std::uint16_t>(length));
        if (read == 0) {
            // Requested again at once, without a pause.
            ++failures;
            continue;
        }
        failures = 0;
        offset += length;
        dialog.progress = static_cast<std::int32_t>(offset * 100u / imageSize);
        gui.ProgressSetPos(kProgressBar, dialog.progress);
    }
    return 1;
}
