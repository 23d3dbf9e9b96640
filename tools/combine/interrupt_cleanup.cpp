#include "interrupt_cleanup.h"

#include <csignal>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The armed path, in storage the handler may read: a fixed buffer, written
// only while no path is armed. A path too long for it is not armed (the
// file would then survive an interruption, as before).
char g_path[4096];
volatile std::sig_atomic_t g_armed = 0;
volatile file_system::Handle g_openFile = file_system::kNoHandle;

void RemoveArmedFile() {
    if (!g_armed) return;
#ifdef _WIN32
    if (g_openFile != file_system::kNoHandle) CloseHandle(reinterpret_cast<HANDLE>(g_openFile));
    std::remove(g_path);
#else
    if (g_openFile != file_system::kNoHandle) close(static_cast<int>(g_openFile));
    unlink(g_path);
#endif
    g_armed = 0;
}

#ifdef _WIN32
// Runs on a thread of its own; returning FALSE passes the event on to the
// default handler, which ends the program.
BOOL WINAPI RemoveArmedFileOnConsoleEvent(DWORD) {
    RemoveArmedFile();
    return FALSE;
}

void InstallHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    SetConsoleCtrlHandler(RemoveArmedFileOnConsoleEvent, TRUE);
}
#else
const int kSignals[] = {SIGINT, SIGTERM};

extern "C" void RemoveArmedFileAndEnd(int signalNumber) {
    RemoveArmedFile();
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
#endif

}  // namespace

TemporaryFileGuard::TemporaryFileGuard(const std::string& path) {
    InstallHandlersOnce();
    g_armed = 0;
    g_openFile = file_system::kNoHandle;
    if (path.size() >= sizeof g_path) return;
    std::memcpy(g_path, path.c_str(), path.size() + 1);
    g_armed = 1;
}

TemporaryFileGuard::~TemporaryFileGuard() {
    g_armed = 0;
    g_openFile = file_system::kNoHandle;
}

void TemporaryFileGuard::SetOpenFile(file_system::Handle file) { g_openFile = file; }
