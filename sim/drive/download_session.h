#pragma once
// The drive's side of the block download: the vendor download command
// (opcode FD) carries one 16 KiB block of a new firmware image with its block
// number, its own byte sum and the byte sum of the whole image. The session
// accepts blocks 1..8 strictly in order and installs the image only after
// block 8, when the whole received image sums to the image sum that every
// block of the session carried.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device_list.h"

namespace sim {

// Blocks of kBlockSize bytes that make up an image of kImageSize bytes.
constexpr unsigned kDownloadBlockCount = kImageSize / kBlockSize;
constexpr std::size_t kVendorDownloadCdbLength = 12;

// The fields of a vendor download CDB, read without judging them.
struct VendorDownloadFields {
    std::uint8_t blockNumber = 0;
    std::uint16_t blockSum = 0;
    std::uint16_t imageSum = 0;
};
VendorDownloadFields ReadVendorDownloadFields(const std::uint8_t* cdb);

class DownloadSession {
public:
    struct Result {
        bool accepted = false;
        // Set with `accepted` after block 8: the new image is in `installed`.
        bool installed = false;
        std::vector<std::uint8_t> installedImage;
        // Why the block was refused, or what acceptance meant.
        std::string message;
    };

    // Judges one vendor download command: `cdb` holds 12 bytes, `data`
    // `length` bytes from the host (`dataOut` false when the command had no
    // data-out phase). A refused block leaves the session as it was, so the
    // host may send the same block again; a well-formed block 1 always
    // starts a new session.
    Result Receive(const std::uint8_t* cdb, bool dataOut, const std::uint8_t* data, std::uint32_t length);

    // The block the session waits for next (1 when none is under way).
    unsigned expectedBlock() const { return expectedBlock_; }

private:
    unsigned expectedBlock_ = 1;
    std::uint16_t imageSum_ = 0;
    std::vector<std::uint8_t> received_;
};

}  // namespace sim
