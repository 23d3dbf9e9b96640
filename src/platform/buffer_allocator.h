#pragma once
// The working buffers of one command (two image-size blocks for an upgrade,
// one for a read-out). Allocation may fail; tests inject that and check that
// every block is released.

#include <cstddef>
#include <cstdint>

class BufferAllocator {
public:
    virtual ~BufferAllocator() = default;
    // A block of `size` bytes, or null when none can be had.
    virtual std::uint8_t* Allocate(std::size_t size) = 0;
    virtual void Release(std::uint8_t* block) = 0;
};
