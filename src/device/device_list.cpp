#include "device/device_list.h"

#include <cstring>
#include <new>

void DeviceList::Append(const DeviceRecord& record) {
    const int node = count_ % kNodesPerBlock;
    if (node == 0) {
        // Without memory for another block the drive is not listed; the
        // entries already there stay as they are.
        Block* block = new (std::nothrow_t{}) Block;
        if (block == nullptr) return;
        block->next = nullptr;
        (last_ != nullptr ? last_->next : first_) = block;
        last_ = block;
    }
    std::memcpy(&last_->nodes[node], &record, sizeof(DeviceRecord));
    ++count_;
}

const DeviceRecord* DeviceList::RecordAt(std::int32_t index) const {
    if (index < 0 || index >= count_) return nullptr;
    const Block* block = first_;
    for (std::int32_t i = kNodesPerBlock; i <= index; i += kNodesPerBlock) block = block->next;
    return &block->nodes[index % kNodesPerBlock];
}

void DeviceList::Clear() {
    while (first_ != nullptr) {
        Block* next = first_->next;
        delete first_;
        first_ = next;
    }
    last_ = nullptr;
    count_ = 0;
}

int DeviceList::BlockCount() const {
    int n = 0;
    for (const Block* b = first_; b != nullptr; b = b->next) ++n;
    return n;
}
