#pragma once
// The working buffers of one command (two image-size blocks for an upgrade,
// one for a read-out). Allocation may fail; tests inject that and check that
// every block is released.

#include <cstddef>
#include <cstdint>
#include <cstring>

class BufferAllocator {
public:
    virtual ~BufferAllocator() = default;
    // A block of `size` bytes, or null when none can be had.
    virtual std::uint8_t* Allocate(std::size_t size) = 0;
    virtual void Release(std::uint8_t* block) = 0;
};

// One block taken from an allocator and given back exactly once: when the
// owner is destroyed or Release is called, whichever comes first.
class OwnedBuffer {
public:
    explicit OwnedBuffer(BufferAllocator& memory) : memory_(memory) {}
    ~OwnedBuffer() { Release(); }
    OwnedBuffer(const OwnedBuffer&) = delete;
    OwnedBuffer& operator=(const OwnedBuffer&) = delete;

    // Takes a zero-filled block of `size` bytes; false when none can be had.
    bool Allocate(std::size_t size) {
        Release();
        block_ = memory_.Allocate(size);
        if (block_ == nullptr) return false;
        std::memset(block_, 0, size);
        return true;
    }
    void Release() {
        if (block_ == nullptr) return;
        memory_.Release(block_);
        block_ = nullptr;
    }
    // Forgets the block, which neither Release nor the destructor then frees:
    // for memory that a request the transport gave up on may still write
    // into. The block stays allocated until the program ends.
    void Abandon() { block_ = nullptr; }
    std::uint8_t* get() const { return block_; }

private:
    BufferAllocator& memory_;
    std::uint8_t* block_ = nullptr;
};

// The product's working buffers: blocks that start on a 4096-byte page
// boundary (the SCSI back ends move data straight from and into them, and
// page-aligned buffers suit every adapter's alignment rule). One definition
// per platform: VirtualAlloc on Windows (page-aligned on every version, and
// no C++ runtime needed), posix_memalign elsewhere.
class PageAlignedAllocator : public BufferAllocator {
public:
    static constexpr std::size_t kAlignment = 4096;

    std::uint8_t* Allocate(std::size_t size) override;
    // Accepts null.
    void Release(std::uint8_t* block) override;
};
