#include "platform/file_replacement.h"

#include <unistd.h>

std::FILE* CreateNewFile(const char* path) { return std::fopen(path, "wbx"); }

// rename replaces the target atomically.
bool ReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }
