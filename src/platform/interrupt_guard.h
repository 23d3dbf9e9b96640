#pragma once
// Holds off the ways a user interrupts a console program (Ctrl+C, a closed
// terminal, ...) while firmware goes to the drive: an interrupted download
// can leave the drive unusable. What comes meanwhile takes effect, or is
// dropped, once it is released.

class InterruptGuard {
public:
    virtual ~InterruptGuard() = default;
    virtual void Hold() = 0;
    // Ends what Hold began; nothing when nothing is held.
    virtual void Release() = 0;
};
