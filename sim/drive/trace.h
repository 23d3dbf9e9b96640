#pragma once
// The record of what simulated drives received: one line per command, kept
// in memory for tests and, when a file is given, appended to it line by line
// so that a person (or a test outside the process) can follow along.
// Safe to use from several threads.

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class Trace {
public:
    Trace() = default;
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // From now on every line is also appended to `path` and flushed at once.
    // Returns false, with a message naming the file, when it cannot be opened.
    bool OpenFile(const std::string& path, std::string& error);
    const std::string& filePath() const { return filePath_; }

    void Write(const std::string& line);
    std::vector<std::string> lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::string filePath_;
    std::ofstream file_;
};

}  // namespace sim
