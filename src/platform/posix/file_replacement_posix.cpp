#include "platform/file_replacement.h"

std::FILE* CreateNewFile(const char* path) { return std::fopen(path, "wbx"); }

// rename replaces the target atomically.
bool ReplaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
