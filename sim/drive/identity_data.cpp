#include "identity_data.h"


#include <algorithm>

#include "device/command_set.h"

namespace sim {
namespace {

// Writes `text` blank-padded (or cut) to `width` bytes at `at`, as far as
// the data reaches.
void PutPadded(std::vector<std::uint8_t>& data, std::size_t at, std::size_t width, const std::string& text) {
    for (std::size_t i = 0; i < width && at + i < data.size(); ++i)
        data[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

void PutBigEndian16(std::vector<std::uint8_t>& data, std::size_t at, std::uint16_t value) {
    data[at] = static_cast<std::uint8_t>(value >> 8);
    data[at + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> BuildInquiryData(const DriveConfig& config, const std::string& revision) {
    // Room for every field, then cut to what the drive reports.
    std::vector<std::uint8_t> data(std::max<std::size_t>(config.inquiryLength, 56), 0);
    data[0] = config.peripheral;
    data[1] = 0x80;  // removable medium
    data[2] = 0x00;  // ATAPI device: no ANSI version claimed
    data[3] = 0x32;  // ATAPI version 3, response data format 2
    data[4] = static_cast<std::uint8_t>(config.inquiryLength > 4 ? config.inquiryLength - 5 : 0);
    PutPadded(data, 8, 8, config.vendor);
    PutPadded(data, 16, 16, config.product);
    PutPadded(data, 32, 4, revision);
    // Bytes 36 and 37 stay 0 so that a host reading six revision bytes sees
    // the four characters and two NULs; then a vendor-specific build date.
    PutPadded(data, 38, 10, "2003/05/12");
    data.resize(config.inquiryLength);
    return data;
}

std::vector<std::uint8_t> BuildCapabilitiesModeData(const DriveConfig& config) {
    constexpr std::size_t kHeaderLength = 8;
    constexpr std::size_t kPageLength = 0x18;  // bytes after the page's first two
    std::vector<std::uint8_t> data(kHeaderLength + 2 + kPageLength, 0);
    PutBigEndian16(data, 0, static_cast<std::uint16_t>(data.size() - 2));  // mode data length
    data[2] = 0x01;  // medium type: 120 mm data disc
    // Bytes 6..7, block descriptor length: 0, so the page follows at once.
    std::uint8_t* page = data.data() + kHeaderLength;
    page[0] = commands::kCapabilitiesPage;
    page[1] = kPageLength;
    page[2] = config.capability10;
    page[3] = config.capability11;
    page[4] = 0x71;  // audio play, composite, digital ports, multi-session
    page[5] = 0x67;  // CD-DA commands, accurate stream, R-W, C2 pointers
    page[6] = 0x29;  // tray loader, eject, lock
    page[7] = 0x03;  // separate volume and mute
    PutBigEndian16(data, kHeaderLength + 8, 7056);   // maximum read speed, kB/s
    PutBigEndian16(data, kHeaderLength + 10, 256);   // volume levels
    PutBigEndian16(data, kHeaderLength + 12, 512);   // buffer size, KiB
    PutBigEndian16(data, kHeaderLength + 14, 7056);  // current read speed, kB/s
    return data;
}

}  // namespace sim
