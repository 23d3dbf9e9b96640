#include "platform/linux/sleep_inhibitor.h"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>

#include "platform/linux/inhibit_program.h"

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

struct SdBusFunctions {
    OpenSystem openSystem = nullptr;
    SetMethodCallTimeout setMethodCallTimeout = nullptr;  // newer libsystemd only
    CallMethod callMethod = nullptr;
    MessageRead messageRead = nullptr;
    MessageUnref messageUnref = nullptr;
    ErrorFree errorFree = nullptr;
    FlushCloseUnref flushCloseUnref = nullptr;

    bool Load(void* library) {
        openSystem = Symbol<OpenSystem>(library, "sd_bus_open_system");
        setMethodCallTimeout = Symbol<SetMethodCallTimeout>(library, "sd_bus_set_method_call_timeout");
        callMethod = Symbol<CallMethod>(library, "sd_bus_call_method");
        messageRead = Symbol<MessageRead>(library, "sd_bus_message_read");
        messageUnref = Symbol<MessageUnref>(library, "sd_bus_message_unref");
        errorFree = Symbol<ErrorFree>(library, "sd_bus_error_free");
        flushCloseUnref = Symbol<FlushCloseUnref>(library, "sd_bus_flush_close_unref");
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

}  // namespace

SleepInhibitor& SleepInhibitor::operator=(SleepInhibitor&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

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
    SdBusFunctions bus;
    if (!bus.Load(handle)) return SleepInhibitor();
    SdBus* connection = nullptr;
    if (bus.openSystem(&connection) < 0 || connection == nullptr) return SleepInhibitor();
    const int fd = CallInhibit(bus, connection, who, why);
    bus.flushCloseUnref(connection);
    return SleepInhibitor(fd);
}

}  // namespace linux_power
