#include "firmware/block_comparison.h"

#include <cstring>

BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image) {
    BlockComparison result;
    for (std::size_t block = 0; block < package_layout::kBlockCount; ++block) {
        const std::size_t offset = block * kBlockSize;
        result.same[block] = std::memcmp(drive + offset, image + offset, kBlockSize) == 0;
        if (!result.same[block]) ++result.differing;
    }
    return result;
}
