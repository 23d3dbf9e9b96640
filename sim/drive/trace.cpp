#include "trace.h"


namespace sim {

bool Trace::OpenFile(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Binary: lines end in '\n' alone on every platform, so the file reads
    // the same to a test on the Linux side of a Wine run.
    std::ofstream file(path, std::ios::out | std::ios::app | std::ios::binary);
    if (!file) {
        error = path + ": cannot open the trace file for appending";
        return false;
    }
    file_ = std::move(file);
    filePath_ = path;
    return true;
}

void Trace::Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
    if (file_.is_open()) {
        file_ << line << '\n';
        file_.flush();
    }
}

std::vector<std::string> Trace::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

}  // namespace sim
