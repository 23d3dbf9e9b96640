#include "platform/buffer_allocator.h"

#include <cstring>

bool OwnedBuffer::Allocate(std::size_t size) {
    Release();
    block_ = memory_.Allocate(size);
    if (block_ == nullptr) return false;
    std::memset(block_, 0, size);
    return true;
}
