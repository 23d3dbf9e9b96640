#pragma once
// Helpers for the simulated drive tests: send the tool's own commands to a
// drive and build the blocks of a download.

#include <cstdint>
#include <string>
#include <vector>

#include "firmware/firmware_package.h"
#include "device/command_set.h"
#include "simulated_drive.h"


namespace sim_test {

// Sends `command` as a back end would: its CDB, its direction, its transfer
// length, with `data` as the buffer.
inline sim::ScsiOutcome Send(sim::SimulatedDrive& drive, const commands::Command& command, std::uint8_t* data) {
    const sim::DataDirection direction =
        command.direction == commands::Direction::In ? sim::DataDirection::In : sim::DataDirection::Out;
    return drive.Execute(command.cdb.data(), command.cdbLength, direction, data, command.transferLength);
}

// The vendor download command for block `number` (1-based) of `image`, with
// the sums the tool computes.
inline commands::Command BlockCommand(const std::vector<std::uint8_t>& image, unsigned number) {
    const std::uint8_t* block = image.data() + (number - 1) * kBlockSize;
    return commands::VendorDownload(static_cast<std::uint8_t>(number), byteSum16(block, kBlockSize), kBlockSize,
                                    byteSum16(image.data(), image.size()));
}

inline sim::ScsiOutcome SendBlock(sim::SimulatedDrive& drive, const std::vector<std::uint8_t>& image,
                                  unsigned number) {
    const commands::Command command = BlockCommand(image, number);
    std::vector<std::uint8_t> data(image.begin() + (number - 1) * kBlockSize, image.begin() + number * kBlockSize);
    return Send(drive, command, data.data());
}

// Sends blocks `first`..`last` and expects each to be accepted.
inline bool SendBlocks(sim::SimulatedDrive& drive, const std::vector<std::uint8_t>& image, unsigned first,
                       unsigned last) {
    for (unsigned n = first; n <= last; ++n)
        if (SendBlock(drive, image, n) != sim::ScsiOutcome::Good) return false;
    return true;
}

// A 131,072-byte image unlike the sample image and unlike zeros.
inline std::vector<std::uint8_t> PatternImage() {
    std::vector<std::uint8_t> image(kImageSize);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + i / 1000);  // sums to 0xFC90
    return image;
}

inline std::string LastLine(const sim::Trace& trace) {
    const std::vector<std::string> lines = trace.lines();
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace sim_test
