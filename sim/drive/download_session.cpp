#include "download_session.h"


#include <algorithm>

#include "drive_sum.h"
#include "hex_text.h"


namespace sim {
namespace {

// The fixed bytes of the vendor download command as the drive's firmware
// knows them, written out here rather than taken from the tool's command
// builder: byte 1, the signature "QORA" in bytes 2..5 and byte 11.
constexpr std::uint8_t kByte1 = 0x07;
constexpr std::uint8_t kSignature[4] = {0x51, 0x4F, 0x52, 0x41};
constexpr std::uint8_t kByte11 = 0x08;

DownloadSession::Result Refused(std::string why) {
    DownloadSession::Result result;
    result.message = std::move(why);
    return result;
}

std::string Describe(const char* what, std::uint8_t got, std::uint8_t expected) {
    return std::string(what) + " is " + Hex8(got) + ", expected " + Hex8(expected);
}

}  // namespace

VendorDownloadFields ReadVendorDownloadFields(const std::uint8_t* cdb) {
    VendorDownloadFields fields;
    fields.blockSum = static_cast<std::uint16_t>((cdb[6] << 8) | cdb[7]);
    fields.imageSum = static_cast<std::uint16_t>((cdb[8] << 8) | cdb[9]);
    fields.blockNumber = cdb[10];
    return fields;
}

DownloadSession::Result DownloadSession::Receive(const std::uint8_t* cdb, bool dataOut, const std::uint8_t* data,
                                                 std::uint32_t length) {
    if (cdb[1] != kByte1) return Refused(Describe("byte 1", cdb[1], kByte1));
    if (!std::equal(kSignature, kSignature + 4, cdb + 2))
        return Refused("bad signature " + HexBytes(cdb + 2, 4) + ", expected " + HexBytes(kSignature, 4) +
                       " (\"QORA\")");
    if (cdb[11] != kByte11) return Refused(Describe("byte 11", cdb[11], kByte11));
    if (!dataOut || data == nullptr)
        return Refused("no data-out phase, expected " + std::to_string(kBlockSize) + " bytes");
    if (length != kBlockSize)
        return Refused("data length " + std::to_string(length) + ", expected " + std::to_string(kBlockSize));

    const VendorDownloadFields fields = ReadVendorDownloadFields(cdb);
    if (fields.blockNumber < 1 || fields.blockNumber > kDownloadBlockCount)
        return Refused("block " + std::to_string(fields.blockNumber) + " outside 1.." +
                       std::to_string(kDownloadBlockCount));
    if (fields.blockNumber == 1) {
        // Block 1 starts over, whatever was under way.
        expectedBlock_ = 1;
        received_.clear();
    }
    if (fields.blockNumber != expectedBlock_)
        return Refused("block " + std::to_string(fields.blockNumber) + " out of order, expected " +
                       std::to_string(expectedBlock_));
    const std::uint16_t dataSum = DriveSum16(data, length);
    if (fields.blockSum != dataSum)
        return Refused("block sum " + Hex16(fields.blockSum) + " != data sum " + Hex16(dataSum));
    if (fields.blockNumber != 1 && fields.imageSum != imageSum_)
        return Refused("image sum changed: " + Hex16(fields.imageSum) + ", block 1 gave " + Hex16(imageSum_));

    if (fields.blockNumber == 1) {
        imageSum_ = fields.imageSum;
        received_.assign(kImageSize, 0);
    }
    std::copy(data, data + length, received_.begin() + (fields.blockNumber - 1) * kBlockSize);

    Result result;
    if (fields.blockNumber < kDownloadBlockCount) {
        ++expectedBlock_;
        result.accepted = true;
        result.message = "block " + std::to_string(fields.blockNumber) + " of " +
                         std::to_string(kDownloadBlockCount) + " accepted";
        return result;
    }
    const std::uint16_t wholeSum = DriveSum16(received_.data(), received_.size());
    if (wholeSum != imageSum_) {
        // Blocks 1..7 stay; the host may send block 8 again.
        return Refused("image sum " + Hex16(imageSum_) + " != received image sum " + Hex16(wholeSum) +
                       ", nothing installed");
    }
    result.accepted = true;
    result.installed = true;
    result.installedImage = std::move(received_);
    result.message = "block " + std::to_string(fields.blockNumber) + " of " + std::to_string(kDownloadBlockCount) +
                     " accepted, image complete";
    received_.clear();
    expectedBlock_ = 1;
    return result;
}

}  // namespace sim
