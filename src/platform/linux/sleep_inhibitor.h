#pragma once
// Keeps the PC from sleeping or shutting down while firmware goes to the
// drive, the way Linux firmware updaters do: systemd-logind's Inhibit
// method (what "sleep:shutdown", mode "block") hands out a file
// descriptor, and the block lasts until that descriptor is closed.
// libsystemd is loaded at run time, so the program needs it neither to
// build nor to run: without it, without a system bus or without logind it
// simply holds nothing. A static program asks through systemd-inhibit
// instead (inhibit_program.h).

namespace linux_power {

// Owns the inhibitor's descriptor and closes it exactly once: on Release
// or at the end of its life. Movable, not copyable.
class SleepInhibitor {
public:
    SleepInhibitor() = default;
    explicit SleepInhibitor(int fd) : fd_(fd) {}
    SleepInhibitor(SleepInhibitor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    SleepInhibitor& operator=(SleepInhibitor&& other) noexcept;
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;
    ~SleepInhibitor() { Release(); }

    bool held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};

// The library that provides sd_bus on systemd systems.
constexpr char kSystemdLibrary[] = "libsystemd.so.0";

// Asks logind to block sleep and shutdown for `who` because of `why`.
// Returns an inhibitor that holds nothing when that cannot be done; never
// waits longer than a few seconds for the bus.
SleepInhibitor InhibitSleepAndShutdown(const char* who, const char* why, const char* library = kSystemdLibrary);

}  // namespace linux_power
