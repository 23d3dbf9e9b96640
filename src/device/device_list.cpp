#include "device/device_list.h"

#include <cstring>
#include <new>

DeviceList::~DeviceList() { Clear(); }

void DeviceList::Append(const DeviceRecord& record) {
    if (freeInLastBlock_ == 0) {
        // Without memory for another block the drive is not listed; the
        // entries already there stay as they are.
        Block* block = new (std::nothrow_t{}) Block;
        if (block == nullptr) return;
        block->nextBlock = blocks_;
        blocks_ = block;
        freeInLastBlock_ = kNodesPerBlock;
    }
    Node* node = &blocks_->nodes[kNodesPerBlock - freeInLastBlock_];
    --freeInLastBlock_;
    std::memcpy(&node->record, &record, sizeof(DeviceRecord));
    node->next = nullptr;
    if (tail_) {
        tail_->next = node;
    } else {
        head_ = node;
    }
    tail_ = node;
    ++count_;
}

const DeviceRecord* DeviceList::RecordAt(std::int32_t index) const {
    if (index < 0 || index >= count_) return nullptr;
    const Node* node = head_;
    for (std::int32_t i = 0; i < index; ++i) node = node->next;
    return &node->record;
}

void DeviceList::Clear() {
    while (blocks_) {
        Block* next = blocks_->nextBlock;
        delete blocks_;
        blocks_ = next;
    }
    head_ = tail_ = nullptr;
    freeInLastBlock_ = 0;
    count_ = 0;
}

int DeviceList::BlockCount() const {
    int n = 0;
    for (const Block* b = blocks_; b; b = b->nextBlock) ++n;
    return n;
}
