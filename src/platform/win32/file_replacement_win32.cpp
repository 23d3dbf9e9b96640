#include "platform/file_replacement.h"

std::FILE* CreateNewFile(const char* path) {
    // The Windows C runtime knows no "x" mode: looked at first instead.
    if (std::FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        return nullptr;
    }
    return std::fopen(path, "wb");
}

bool ReplaceFile(const char* from, const char* to) {
    // rename replaces no file on Windows: the target goes first. (Between
    // the two calls neither file has the target's name.)
    std::remove(to);
    return std::rename(from, to) == 0;
}
