#pragma once
// The Linux implementations of the platform's interfaces that ktxflash's
// entry point creates, but the SCSI generic devices (their own header).

#include <dirent.h>
#include <pthread.h>
#include <signal.h>

#include "platform/fixed_text.h"
#include "platform/interrupt_guard.h"
#include "platform/posix/posix_system_services.h"
#include "platform/power_source.h"
#include "platform/wait_timer.h"

namespace linux_power {

// Keeps the PC from sleeping or shutting down while firmware goes to the
// drive, as Linux firmware updaters do: logind's Inhibit method (what
// "sleep:shutdown", mode "block") hands out a descriptor, and the block
// lasts until it is closed. SleepInhibitor owns that descriptor and closes
// it exactly once: on Release or at the end of its life.
class SleepInhibitor {
public:
    SleepInhibitor() = default;
    explicit SleepInhibitor(int fd) : fd_(fd) {}
    SleepInhibitor(SleepInhibitor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    SleepInhibitor& operator=(SleepInhibitor&& other) noexcept {
        if (this != &other) {
            Release();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;
    ~SleepInhibitor() { Release(); }

    bool held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};

// Asks logind over sd-bus to block sleep and shutdown for `who` because of
// `why`; never waits longer than a few seconds for the bus. libsystemd is
// loaded at run time, needed neither to build nor to run: without it, a
// system bus or logind the inhibitor holds nothing. A static program asks
// through InhibitThroughProgram instead.
SleepInhibitor InhibitSleepAndShutdown(const char* who, const char* why, const char* library = "libsystemd.so.0");

// The inhibitor of a statically linked ktxflash, which cannot load
// libsystemd: runs `program` (systemd-inhibit's command line) as
//   PROGRAM --what=sleep:shutdown --who=WHO --why=WHY --mode=block /bin/sh -c ...
// in a session of its own, so that the terminal's Ctrl+C and hang-up do not
// reach it, and waits a few seconds at most until the block is held. The
// child waits on a pipe whose write end the inhibitor owns: releasing it
// ends the child and the block. Holds nothing when the program is missing
// or logind refuses.
SleepInhibitor InhibitThroughProgram(const char* who, const char* why,
                                     const char* program = "/usr/bin/systemd-inhibit");

}  // namespace linux_power

namespace linux_platform {

// The system services of ktxflash on Linux: the POSIX ones, and logind's
// sleep and shutdown inhibitor held while the system must stay awake.
class LinuxSystemServices : public PosixSystemServices {
public:
    void KeepSystemAwake(bool awake) override;

private:
    linux_power::SleepInhibitor inhibitor_;
};

// The signals of the keyboard and of a closed terminal (SIGINT, SIGQUIT,
// SIGTSTP, SIGHUP) and SIGTERM wait, blocked, between Hold and Release; one
// that came meanwhile takes effect on Release.
class HeldSignals : public InterruptGuard {
public:
    ~HeldSignals() override { Release(); }
    void Hold() override;
    void Release() override;

private:
    bool held_ = false;
    sigset_t previous_;
};

// POSIX threads, not std::thread: pthread_create reports a failure as a
// result, and the code is built without exceptions.
class ThreadWaitTimer : public WaitTimer {
public:
    ThreadWaitTimer();
    ~ThreadWaitTimer() override;
    ThreadWaitTimer(const ThreadWaitTimer&) = delete;
    ThreadWaitTimer& operator=(const ThreadWaitTimer&) = delete;

    bool Start(WaitListener& listener, std::uint32_t firstMs, std::uint32_t everyMs) override;
    void Stop() override;

private:
    void Run();

    pthread_mutex_t mutex_;
    pthread_cond_t wake_;
    pthread_t thread_{};
    bool running_ = false;
    bool stopRequested_ = false;
    WaitListener* listener_ = nullptr;
    std::uint32_t firstMs_ = 0;
    std::uint32_t everyMs_ = 0;
};

// The power status of Linux from /sys/class/power_supply: the system runs
// on battery when no mains (or USB) supply is online and a battery is
// discharging; the charge is the lowest capacity of its batteries. Supplies
// whose scope is Device (a mouse, a headset) power no system and are left
// out.
class SysfsPowerSource : public PowerSource {
public:
    explicit SysfsPowerSource(const char* folder = "/sys/class/power_supply");
    PowerStatus Read() override;

private:
    PathText folder_;
};

// Closes the directory on every way out of a listing.
class DirectoryReader {
public:
    explicit DirectoryReader(const char* path) : dir_(opendir(path)) {}
    DirectoryReader(const DirectoryReader&) = delete;
    DirectoryReader& operator=(const DirectoryReader&) = delete;
    ~DirectoryReader() {
        if (dir_ != nullptr) closedir(dir_);
    }
    const char* Next() {
        if (dir_ == nullptr) return nullptr;
        const dirent* entry = readdir(dir_);
        return entry != nullptr ? entry->d_name : nullptr;
    }

private:
    DIR* dir_;
};

// The first line of a small sysfs file into `text`; false when unreadable.
bool ReadSysfsLine(const char* path, char* text, std::size_t size);

}  // namespace linux_platform
