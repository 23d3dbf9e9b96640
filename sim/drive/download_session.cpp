#include "download_session.h"


#include <algorithm>

#include "firmware/byte_sum.h"
#include "device/command_set.h"
#include "hex_text.h"


namespace sim {
namespace {

// The command exactly as the tool builds it; the fixed bytes of every
// command the drive receives must match it.
const commands::Command& ReferenceCommand() {
    static const commands::Command reference = commands::VendorDownload(1, 0, kBlockSize, 0);
    return reference;
}

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
    const commands::Command& reference = ReferenceCommand();
    if (cdb[1] != reference.cdb[1]) return Refused(Describe("byte 1", cdb[1], reference.cdb[1]));
    if (!std::equal(commands::kVendorSignature.begin(), commands::kVendorSignature.end(), cdb + 2))
        return Refused("bad signature " + HexBytes(cdb + 2, 4) + ", expected " +
                       HexBytes(commands::kVendorSignature.data(), 4) + " (\"QORA\")");
    if (cdb[11] != reference.cdb[11]) return Refused(Describe("byte 11", cdb[11], reference.cdb[11]));
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
    const std::uint16_t dataSum = byteSum16(data, length);
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
    const std::uint16_t wholeSum = byteSum16(received_.data(), received_.size());
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
