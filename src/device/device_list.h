#pragma once
// The ordered list of found drives. Each entry is a private copy of a
// DeviceRecord; storage is taken in blocks of ten nodes and released only
// all together, by Clear or destruction.

#include <cstdint>

#include "device/device_record.h"

class DeviceList {
public:
    static constexpr int kNodesPerBlock = 10;

    DeviceList() = default;
    ~DeviceList();
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // Copies the record into a new entry at the end. Without memory for a
    // new block of entries the record is not added.
    void Append(const DeviceRecord& record);
    std::int32_t Count() const { return count_; }
    // The stored record at index (0-based), or null outside 0..Count()-1.
    const DeviceRecord* RecordAt(std::int32_t index) const;
    void Clear();

    // Number of node blocks currently held (for tests of the storage rule).
    int BlockCount() const;

private:
    struct Node {
        DeviceRecord record;
        Node* next;
    };
    struct Block {
        Node nodes[kNodesPerBlock];
        Block* nextBlock;
    };

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Block* blocks_ = nullptr;
    int freeInLastBlock_ = 0;
    std::int32_t count_ = 0;
};
