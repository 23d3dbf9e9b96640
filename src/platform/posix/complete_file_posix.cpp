#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/complete_file.h"

namespace {

extern "C" void RemoveArmedFileAndEnd(int signalNumber) {
    RemoveArmedTemporaryFile();
    // Ends the program the way the signal would have ended it.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

}  // namespace

void InstallInterruptHandlersOnce() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        // A signal the caller ignores (a background job's SIGINT) stays ignored.
        if (std::signal(signalNumber, RemoveArmedFileAndEnd) == SIG_IGN) std::signal(signalNumber, SIG_IGN);
    }
}

void CloseFileNow(FileDescriptor file) { close(static_cast<int>(file)); }

bool ResolveLinks(const char* path, LongPathText& resolved, int& error) {
    resolved.Assign(path);
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        char target[kLongestFileName + 1];
        const ssize_t length = readlink(resolved.c_str(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        target[length] = '\0';
        const char* slash = std::strrchr(resolved.c_str(), '/');
        // A relative link's text starts from the link's folder.
        LongPathText next;
        if (target[0] != '/' && slash != nullptr)
            next.Assign(resolved.c_str(), static_cast<std::size_t>(slash + 1 - resolved.c_str()));
        next.Append(target);
        if (next.truncated()) {
            error = ENAMETOOLONG;
            return false;
        }
        resolved = next;
    }
    error = ELOOP;
    return false;
}

bool WriteNewFile(const char* path, const void* data, std::size_t size, unsigned addedPermissions,
                  TemporaryFileGuard& guard, bool& nameTaken, int& error) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        nameTaken = errno == EEXIST;
        error = errno;
        guard.Disarm();
        return false;
    }
    guard.SetOpenFile(fd);
    const char* next = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const ssize_t count = write(fd, next, size);
        if (count < 0) {
            ok = errno == EINTR;
            continue;
        }
        next += count;
        size -= static_cast<std::size_t>(count);
    }
    // The execute permissions on top of what the umask left.
    struct stat st;
    if (ok && addedPermissions != 0)
        ok = fstat(fd, &st) == 0 && fchmod(fd, (st.st_mode & 07777) | addedPermissions) == 0;
    if (ok) ok = fsync(fd) == 0;
    if (!ok) error = errno;
    guard.SetOpenFile(kNoFile);
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) unlink(path);
    return ok;
}

// rename replaces the target atomically.
bool MoveReplacingFile(const char* from, const char* to, int& error) {
    if (std::rename(from, to) == 0) return true;
    error = errno;
    return false;
}

Placement PlaceNewFile(const char* from, const char* to, int& error) {
#ifdef RENAME_NOREPLACE
    // Linux: the rename itself refuses a name that is taken.
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return Placement::Placed;
    if (errno == EEXIST) return Placement::NameTaken;
    error = errno;
    // A file system whose rename takes no flags (EINVAL) may still link.
    if (errno != EINVAL && errno != ENOSYS) return Placement::Failed;
#endif
    // A hard link is made only under a free name; the old name then goes.
    if (link(from, to) != 0) {
        error = errno;
        return errno == EEXIST ? Placement::NameTaken : Placement::Failed;
    }
    unlink(from);
    return Placement::Placed;
}

bool RemoveFile(const char* path) { return unlink(path) == 0; }

std::uint64_t RunUniqueNumber() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint64_t>(getpid()) << 40) ^ static_cast<std::uint64_t>(now.tv_sec) * 1000000007u ^
           static_cast<std::uint64_t>(now.tv_nsec);
}
