#pragma once
// Owner of one platform handle (a volume, file, event, token or library):
// it releases the handle exactly once, when it is reset, closed or
// destroyed, and never a handle it does not hold or has abandoned. `Release`
// is a small function object that gives the handle back to the service that
// opened it. Each handle type keeps its own "invalid" value (null, or
// INVALID_HANDLE_VALUE for volumes), passed once at construction.

template <typename Handle, typename Release>
class OwnedHandle {
public:
    OwnedHandle(Handle invalid, Release release) : invalid_(invalid), handle_(invalid), release_(release) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    // Takes `handle` (which may be the invalid value), closing the one held.
    void Reset(Handle handle) {
        Close();
        handle_ = handle;
    }
    // Gives the handle back now; a second Close does nothing.
    void Close() {
        if (handle_ == invalid_) return;
        const Handle held = handle_;
        handle_ = invalid_;
        release_(held);
    }
    // Forgets the handle without giving it back, so that neither Close nor
    // the destructor releases it: for a handle that a request the system
    // still holds may use (an event ASPI may still set, the library whose
    // code may still run it). It stays open until the program ends.
    void Abandon() { handle_ = invalid_; }
    Handle get() const { return handle_; }
    bool valid() const { return handle_ != invalid_; }

private:
    const Handle invalid_;
    Handle handle_;
    Release release_;
};
