#include "platform/linux/inhibit_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

extern char** environ;

namespace linux_power {
namespace {

constexpr int kHoldTimeoutMilliseconds = 5000;

// What systemd-inhibit runs while it holds the block: one line to say so,
// then nothing until the pipe on its input is closed.
constexpr char kHoldingCommand[] = "echo held; exec cat >/dev/null";

void CloseBoth(int (&fds)[2]) {
    close(fds[0]);
    close(fds[1]);
}

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

SleepInhibitor InhibitThroughProgram(const char* who, const char* why, const char* program) {
    int hold[2];   // the child's input; its write end is the inhibitor
    int ready[2];  // the child's output: a line once the block is held
    if (pipe2(hold, O_CLOEXEC) != 0) return SleepInhibitor();
    if (pipe2(ready, O_CLOEXEC) != 0) {
        CloseBoth(hold);
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
