#pragma once
// Removes a half-written temporary file when the run is interrupted
// (SIGINT or SIGTERM; on Windows Ctrl+C and Ctrl+Break arrive as SIGINT and
// SIGBREAK): while a guard is armed, the signal handler deletes the file and
// then lets the signal end the program as it would have without the
// handler. One guard at a time: the tool writes one file per run.

#include <string>

class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(const std::string& path);
    // Disarms the guard; the file itself is the caller's to keep or remove.
    ~TemporaryFileGuard();

    // The descriptor the file is open on, from its creation until it is
    // closed (-1): Windows deletes no file that is still open, so the
    // handler closes it first.
    void SetOpenDescriptor(int fd);
    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
};
