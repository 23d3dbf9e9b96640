#include "interrupt_cleanup.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define KTX_UNLINK _unlink
#define KTX_CLOSE _close
#else
#include <unistd.h>
#define KTX_UNLINK unlink
#define KTX_CLOSE close
#endif

namespace {

// The armed path, in storage the signal handler may read: a fixed buffer,
// written only while no path is armed. A path too long for it is not
// armed (the file would then survive an interruption, as before).
char g_path[4096];
volatile std::sig_atomic_t g_armed = 0;
volatile std::sig_atomic_t g_openDescriptor = -1;

const int kSignals[] = {
    SIGINT,
    SIGTERM,
#ifdef SIGBREAK
    SIGBREAK,
#endif
};

extern "C" void RemoveArmedFileAndEnd(int signalNumber) {
    if (g_armed) {
        if (g_openDescriptor >= 0) KTX_CLOSE(g_openDescriptor);
        KTX_UNLINK(g_path);
        g_armed = 0;
    }
    // Ends the program the way the signal would have ended it.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

void InstallHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (const int signalNumber : kSignals) {
        // A signal the caller ignores (a background job's SIGINT) stays ignored.
        if (std::signal(signalNumber, RemoveArmedFileAndEnd) == SIG_IGN) std::signal(signalNumber, SIG_IGN);
    }
}

}  // namespace

TemporaryFileGuard::TemporaryFileGuard(const std::string& path) {
    InstallHandlersOnce();
    g_armed = 0;
    g_openDescriptor = -1;
    if (path.size() >= sizeof g_path) return;
    std::memcpy(g_path, path.c_str(), path.size() + 1);
    g_armed = 1;
}

TemporaryFileGuard::~TemporaryFileGuard() {
    g_armed = 0;
    g_openDescriptor = -1;
}

void TemporaryFileGuard::SetOpenDescriptor(int fd) { g_openDescriptor = fd; }
