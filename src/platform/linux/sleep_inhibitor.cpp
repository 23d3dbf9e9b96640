#include "platform/linux/linux_services.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/auxv.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

extern char** environ;

namespace linux_power {
namespace {

// The parts of libsystemd's published sd-bus interface used here, declared
// by hand so that no systemd headers are needed to build.
struct SdBus;
struct SdBusMessage;
struct SdBusError {  // sd_bus_error
    const char* name;
    const char* message;
    int needFree;
};

using OpenSystem = int (*)(SdBus**);
using SetMethodCallTimeout = int (*)(SdBus*, std::uint64_t);
using CallMethod = int (*)(SdBus*, const char*, const char*, const char*, const char*, SdBusError*, SdBusMessage**,
                           const char*, ...);
using MessageRead = int (*)(SdBusMessage*, const char*, ...);
using MessageUnref = SdBusMessage* (*)(SdBusMessage*);
using ErrorFree = void (*)(SdBusError*);
using FlushCloseUnref = SdBus* (*)(SdBus*);

constexpr std::uint64_t kCallTimeoutMicroseconds = 5u * 1000u * 1000u;

template <typename Function>
Function Symbol(void* library, const char* name) {
    return reinterpret_cast<Function>(dlsym(library, name));
}

// The sd-bus functions of the loaded library; null where it has none.
struct SdBusFunctions {
    void* library;
    OpenSystem openSystem = Symbol<OpenSystem>(library, "sd_bus_open_system");
    SetMethodCallTimeout setMethodCallTimeout =  // newer libsystemd only
        Symbol<SetMethodCallTimeout>(library, "sd_bus_set_method_call_timeout");
    CallMethod callMethod = Symbol<CallMethod>(library, "sd_bus_call_method");
    MessageRead messageRead = Symbol<MessageRead>(library, "sd_bus_message_read");
    MessageUnref messageUnref = Symbol<MessageUnref>(library, "sd_bus_message_unref");
    ErrorFree errorFree = Symbol<ErrorFree>(library, "sd_bus_error_free");
    FlushCloseUnref flushCloseUnref = Symbol<FlushCloseUnref>(library, "sd_bus_flush_close_unref");

    bool Complete() const {
        return openSystem && callMethod && messageRead && messageUnref && errorFree && flushCloseUnref;
    }
};

// The Inhibit call on an open bus: our own copy of the returned descriptor
// (the reply owns its copy), or -1.
int CallInhibit(const SdBusFunctions& bus, SdBus* connection, const char* who, const char* why) {
    if (bus.setMethodCallTimeout != nullptr) bus.setMethodCallTimeout(connection, kCallTimeoutMicroseconds);
    SdBusError error = {nullptr, nullptr, 0};
    SdBusMessage* reply = nullptr;
    int fd = -1;
    if (bus.callMethod(connection, "org.freedesktop.login1", "/org/freedesktop/login1",
                       "org.freedesktop.login1.Manager", "Inhibit", &error, &reply, "ssss", "sleep:shutdown", who,
                       why, "block") >= 0) {
        int replyFd = -1;
        if (bus.messageRead(reply, "h", &replyFd) >= 0 && replyFd >= 0) fd = fcntl(replyFd, F_DUPFD_CLOEXEC, 3);
    }
    if (reply != nullptr) bus.messageUnref(reply);
    bus.errorFree(&error);
    return fd;
}

// A static program's way: systemd-inhibit.
constexpr int kHoldTimeoutMilliseconds = 5000;

// What systemd-inhibit runs while it holds the block: one line to say so,
// then nothing until the pipe on its input is closed.
constexpr char kHoldingCommand[] = "echo held; exec cat >/dev/null";

// True when the child wrote its line within the time limit.
bool WaitUntilHeld(int readyFd) {
    pollfd watch = {readyFd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&watch, 1, kHoldTimeoutMilliseconds);
    } while (ready < 0 && errno == EINTR);
    char byte = 0;
    return ready == 1 && read(readyFd, &byte, 1) == 1;
}

}  // namespace

void SleepInhibitor::Release() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}

SleepInhibitor InhibitSleepAndShutdown(const char* who, const char* why, const char* library) {
    // A static program has no dynamic loader (no AT_BASE) and must not load
    // a library built for the system's C library: systemd-inhibit asks instead.
    if (getauxval(AT_BASE) == 0) return InhibitThroughProgram(who, why);
    // The library stays loaded for the rest of the run: unloading a library
    // that keeps process-wide state is not worth the risk for what it saves.
    void* handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return SleepInhibitor();
    const SdBusFunctions bus{handle};
    if (!bus.Complete()) return SleepInhibitor();
    SdBus* connection = nullptr;
    if (bus.openSystem(&connection) < 0 || connection == nullptr) return SleepInhibitor();
    const int fd = CallInhibit(bus, connection, who, why);
    bus.flushCloseUnref(connection);
    return SleepInhibitor(fd);
}

SleepInhibitor InhibitThroughProgram(const char* who, const char* why, const char* program) {
    int hold[2];   // the child's input; its write end is the inhibitor
    int ready[2];  // the child's output: a line once the block is held
    if (pipe2(hold, O_CLOEXEC) != 0) return SleepInhibitor();
    if (pipe2(ready, O_CLOEXEC) != 0) {
        close(hold[0]);
        close(hold[1]);
        return SleepInhibitor();
    }
    char whoOption[160];
    char whyOption[160];
    std::snprintf(whoOption, sizeof whoOption, "--who=%s", who);
    std::snprintf(whyOption, sizeof whyOption, "--why=%s", why);
    char* const argv[] = {const_cast<char*>(program), const_cast<char*>("--what=sleep:shutdown"), whoOption,
                          whyOption, const_cast<char*>("--mode=block"), const_cast<char*>("/bin/sh"),
                          const_cast<char*>("-c"), const_cast<char*>(kHoldingCommand), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, hold[0], 0);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, program, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    close(hold[0]);
    close(ready[1]);

    const bool held = spawned == 0 && WaitUntilHeld(ready[0]);
    close(ready[0]);
    if (held) return SleepInhibitor(hold[1]);
    close(hold[1]);
    if (spawned == 0) {
        // A child that neither took the block nor gave up in time is ended.
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    return SleepInhibitor();
}

}  // namespace linux_power

namespace linux_platform {

void LinuxSystemServices::KeepSystemAwake(bool awake) {
    if (!awake) {
        inhibitor_.Release();
        return;
    }
    if (!inhibitor_.held())
        inhibitor_ = linux_power::InhibitSleepAndShutdown("ktxflash", "Drive firmware transfer in progress");
}

}  // namespace linux_platform
