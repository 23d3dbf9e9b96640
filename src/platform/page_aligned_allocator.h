#pragma once
// The product's working buffers: blocks that start on a 4096-byte page
// boundary (the SCSI back ends move data straight from and into them, and
// page-aligned buffers suit every adapter's alignment rule). One definition
// per platform: VirtualAlloc on Windows (page-aligned on every version, and
// no C++ runtime needed), posix_memalign elsewhere.

#include <cstddef>
#include <cstdint>

#include "platform/buffer_allocator.h"

class PageAlignedAllocator : public BufferAllocator {
public:
    static constexpr std::size_t kAlignment = 4096;

    // Null when no block can be had.
    std::uint8_t* Allocate(std::size_t size) override;
    // Accepts null.
    void Release(std::uint8_t* block) override;
};
