#pragma once
// A path in the temporary folder that belongs to this test process: its
// name carries the process id, so that one test program built several ways
// (host, host-asan, host-tsan; win32 and win64 under Wine) and run side by
// side by CTest never shares a file with its twin. Header-only, so that any
// test program can use it (the ThreadSanitizer build has no support library).

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

inline std::string ScratchPath(const std::string& name) {
#ifdef _WIN32
    const int processId = _getpid();
#else
    const int processId = static_cast<int>(getpid());
#endif
    return (std::filesystem::temp_directory_path() / ("ktx_" + std::to_string(processId) + "_" + name)).string();
}
