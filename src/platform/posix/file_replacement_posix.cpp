#include "platform/file_replacement.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

std::FILE* CreateNewFile(const char* path) { return std::fopen(path, "wbx"); }

// rename replaces the target atomically.
bool MoveReplacingFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

Placement PlaceNewFile(const char* from, const char* to) {
#ifdef RENAME_NOREPLACE
    // Linux: the rename itself refuses a name that is taken.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return Placement::Placed;
    if (errno == EEXIST) return Placement::NameTaken;
    // A file system whose rename takes no flags (EINVAL) may still link.
    if (errno != EINVAL && errno != ENOSYS) return Placement::Failed;
#endif
    // A hard link is made only under a free name; the old name then goes.
    if (link(from, to) != 0) return errno == EEXIST ? Placement::NameTaken : Placement::Failed;
    unlink(from);
    return Placement::Placed;
}

bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }
