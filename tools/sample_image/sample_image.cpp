#include "sample_image.h"

#include <cstddef>

#include "firmware_package.h"

namespace {

using package_layout::kBlockCount;

// splitmix64: small, fixed-width arithmetic only, so the output is the same
// with every compiler and standard library.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
};

constexpr std::uint64_t kSeed = 0x4B5458373732344Bull;  // "KTX7724K"

// Padding length at the end of each block: 200..711 bytes of 0xFF.
std::size_t PaddingLength(SplitMix64& rng) {
    return 200 + static_cast<std::size_t>(rng.Next() % 512);
}

// Brings the byte sum of data[begin, end) to `target` by adjusting bytes of
// data[begin, adjustEnd) only (the padding after it stays 0xFF), spread
// evenly over that range. The change is taken the short way round the 16-bit
// circle (at most 32,768), each touched byte moving as far as it can.
void AdjustSum(std::uint8_t* data, std::size_t begin, std::size_t adjustEnd, std::size_t end,
               std::uint16_t target) {
    const std::uint16_t current = byteSum16(data + begin, end - begin);
    int delta = static_cast<std::uint16_t>(target - current);
    if (delta > 0x8000) delta -= 0x10000;

    // A prime stride that divides no payload length visits every byte before repeating.
    const std::size_t length = adjustEnd - begin;
    constexpr std::size_t kStride = 4099;
    std::size_t offset = 97;
    while (delta != 0) {
        std::uint8_t& byte = data[begin + offset];
        const int room = delta > 0 ? 0xFF - byte : -static_cast<int>(byte);
        const int step = delta > 0 ? (delta < room ? delta : room) : (delta > room ? delta : room);
        byte = static_cast<std::uint8_t>(byte + step);
        delta -= step;
        offset = (offset + kStride) % length;
    }
}

}  // namespace

std::vector<std::uint8_t> MakeSampleImage() {
    std::vector<std::uint8_t> image(kImageSize);
    SplitMix64 rng(kSeed);

    std::size_t payloadEnd[kBlockCount];
    for (std::size_t block = 0; block < kBlockCount; ++block) {
        const std::size_t begin = block * kBlockSize;
        const std::size_t end = begin + kBlockSize;
        payloadEnd[block] = end - PaddingLength(rng);
        for (std::size_t i = begin; i < payloadEnd[block]; i += 8) {
            std::uint64_t word = rng.Next();
            for (std::size_t k = 0; k < 8 && i + k < payloadEnd[block]; ++k, word >>= 8) {
                image[i + k] = static_cast<std::uint8_t>(word);
            }
        }
        for (std::size_t i = payloadEnd[block]; i < end; ++i) image[i] = 0xFF;
    }

    // First block to its figure; then the last block takes up the difference
    // to the whole-image figure, leaving blocks 2..7 as generated.
    AdjustSum(image.data(), 0, payloadEnd[0], kBlockSize, kSampleImageFirstBlockSum);
    const std::size_t lastBegin = (kBlockCount - 1) * kBlockSize;
    const std::uint16_t beforeLast = byteSum16(image.data(), lastBegin);
    AdjustSum(image.data(), lastBegin, payloadEnd[kBlockCount - 1], kImageSize,
              static_cast<std::uint16_t>(kSampleImageSum - beforeLast));
    return image;
}
