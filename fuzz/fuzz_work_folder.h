#pragma once
// A folder of the process's own for the files a fuzz target writes:
// "<name>_<pid>" in the system's temporary folder. libFuzzer ends its
// process without running exit handlers, so a folder cannot be removed at
// the end; instead each process first removes the folders of that name
// whose processes are gone.

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

inline std::filesystem::path MakeWorkFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path temp = fs::temp_directory_path();
    const std::string prefix = name + "_";
    std::error_code ec;
    for (fs::directory_iterator it(temp, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string pid = file.substr(prefix.size());
        if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (::kill(static_cast<pid_t>(std::stol(pid)), 0) == -1 && errno == ESRCH) {
            std::error_code ignored;
            fs::remove_all(it->path(), ignored);
        }
    }
    const fs::path folder = temp / (prefix + std::to_string(::getpid()));
    fs::create_directories(folder);
    return folder;
}
