#pragma once
// The BufferAllocator for host tests: heap blocks filled with garbage (so a
// missing zero-fill shows), allocation number `failAt` (1-based) fails, and
// every block handed out and given back is accounted for.

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "platform/buffer_allocator.h"

class CountingAllocator : public BufferAllocator {
public:
    int failAt = 0;
    int allocations = 0;
    std::vector<std::size_t> sizes;
    std::set<std::uint8_t*> live;
    int strayReleases = 0;  // releases of blocks this allocator did not hand out

    ~CountingAllocator() override;
    std::uint8_t* Allocate(std::size_t size) override;
    void Release(std::uint8_t* block) override;
};
