#pragma once
// Removes a half-written temporary file when the run is interrupted
// (SIGINT or SIGTERM; on Windows Ctrl+C, Ctrl+Break and the console's
// closing): while a guard is armed, the handler deletes the file and then
// lets the interruption end the program as it would have without the
// handler. One guard at a time: the tool writes one file per run.

#include <string>

#include "file_system.h"

class TemporaryFileGuard {
public:
    explicit TemporaryFileGuard(const std::string& path);
    // Disarms the guard; the file itself is the caller's to keep or remove.
    ~TemporaryFileGuard();

    // The file's open descriptor or handle, from its creation until it is
    // closed (file_system::kNoHandle): Windows deletes no file that is
    // still open, so the handler closes it first.
    void SetOpenFile(file_system::Handle file);

    TemporaryFileGuard(const TemporaryFileGuard&) = delete;
    TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;
};
