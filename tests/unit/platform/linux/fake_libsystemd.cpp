// A stand-in for libsystemd's sd-bus, loaded by the sleep inhibitor test in
// its place: it records the one method call and answers Inhibit with the
// read end of a pipe whose write end the test watches, so the test sees
// when the inhibitor's descriptor is really closed. FAKE_SD_BUS_REFUSE=1
// makes the call fail as logind's refusal would.

#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Recorded {
    std::string destination, path, interface, member, types, what, who, why, mode;
    int calls = 0;
    int busesOpen = 0;
    int messagesAlive = 0;
    int writeEnd = -1;
};

Recorded recorded;
int bus;      // the address stands for the connection
int message;  // the address stands for the reply
int replyFd = -1;

}  // namespace

struct sd_bus_error {
    const char* name;
    const char* message;
    int need_free;
};

FAKE_EXPORT const Recorded* fake_sd_bus_recorded() { return &recorded; }
FAKE_EXPORT const char* fake_sd_bus_field(const Recorded* r, int index) {
    const std::string* fields[] = {&r->destination, &r->path, &r->interface, &r->member, &r->types,
                                   &r->what,        &r->who,  &r->why,       &r->mode};
    return fields[index]->c_str();
}
FAKE_EXPORT int fake_sd_bus_calls() { return recorded.calls; }
FAKE_EXPORT int fake_sd_bus_buses_open() { return recorded.busesOpen; }
FAKE_EXPORT int fake_sd_bus_messages_alive() { return recorded.messagesAlive; }
FAKE_EXPORT int fake_sd_bus_write_end() { return recorded.writeEnd; }

FAKE_EXPORT int sd_bus_open_system(void** ret) {
    *ret = &bus;
    ++recorded.busesOpen;
    return 0;
}

FAKE_EXPORT void* sd_bus_flush_close_unref(void* connection) {
    if (connection == &bus) --recorded.busesOpen;
    return nullptr;
}

FAKE_EXPORT int sd_bus_call_method(void*, const char* destination, const char* path, const char* interface,
                                   const char* member, sd_bus_error*, void** reply, const char* types, ...) {
    ++recorded.calls;
    recorded.destination = destination;
    recorded.path = path;
    recorded.interface = interface;
    recorded.member = member;
    recorded.types = types;
    va_list arguments;
    va_start(arguments, types);
    recorded.what = va_arg(arguments, const char*);
    recorded.who = va_arg(arguments, const char*);
    recorded.why = va_arg(arguments, const char*);
    recorded.mode = va_arg(arguments, const char*);
    va_end(arguments);
    const char* refuse = std::getenv("FAKE_SD_BUS_REFUSE");
    if (refuse != nullptr && std::strcmp(refuse, "1") == 0) return -13;  // -EACCES
    int ends[2];
    if (pipe(ends) != 0) return -24;
    replyFd = ends[0];
    recorded.writeEnd = ends[1];
    *reply = &message;
    ++recorded.messagesAlive;
    return 1;
}

FAKE_EXPORT int sd_bus_message_read(void* m, const char* types, ...) {
    if (m != &message || std::strcmp(types, "h") != 0) return -22;
    va_list arguments;
    va_start(arguments, types);
    *va_arg(arguments, int*) = replyFd;
    va_end(arguments);
    return 1;
}

FAKE_EXPORT void* sd_bus_message_unref(void* m) {
    // The reply owns its descriptor: it goes with the message.
    if (m == &message) {
        --recorded.messagesAlive;
        close(replyFd);
        replyFd = -1;
    }
    return nullptr;
}

FAKE_EXPORT void sd_bus_error_free(sd_bus_error*) {}
