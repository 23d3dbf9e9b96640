#include "counting_allocator.h"

#include <cstring>

CountingAllocator::~CountingAllocator() {
    for (std::uint8_t* block : live) delete[] block;
}

std::uint8_t* CountingAllocator::Allocate(std::size_t size) {
    sizes.push_back(size);
    if (++allocations == failAt) return nullptr;
    std::uint8_t* block = new std::uint8_t[size];
    std::memset(block, 0xA5, size);
    live.insert(block);
    return block;
}

void CountingAllocator::Release(std::uint8_t* block) {
    if (live.erase(block) == 0) {
        ++strayReleases;
        return;
    }
    delete[] block;
}
