#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file_replacement.h"

namespace file_system {

Kind KindOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? Kind::kMissing : Kind::kUnknown;
    return S_ISREG(st.st_mode) ? Kind::kRegular : Kind::kNotRegular;
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// Non-blocking, so that opening a FIFO returns at once and the type check
// refuses it instead of waiting for a writer.
Handle OpenForReading(const std::string& path, int& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) error = errno;
    return fd;
}

bool RegularFileSize(Handle file, std::uint64_t& size, bool& notRegular, int& error) {
    struct stat st;
    notRegular = false;
    if (fstat(static_cast<int>(file), &st) != 0) {
        error = errno;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        notRegular = true;
        return false;
    }
    size = st.st_size < 0 ? 0 : static_cast<std::uint64_t>(st.st_size);
    return true;
}

long ReadSome(Handle file, void* buffer, std::size_t length, int& error) {
    ssize_t count;
    do {
        count = read(static_cast<int>(file), buffer, length);
    } while (count < 0 && errno == EINTR);
    if (count < 0) error = errno;
    return static_cast<long>(count);
}

Handle CreateExclusively(const std::string& path, int& error) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) error = errno;
    return fd;
}

long WriteSome(Handle file, const void* buffer, std::size_t length, int& error) {
    ssize_t count;
    do {
        count = write(static_cast<int>(file), buffer, length);
    } while (count < 0 && errno == EINTR);
    if (count < 0) error = errno;
    return static_cast<long>(count);
}

bool FlushToDisk(Handle file, int& error) {
    if (fsync(static_cast<int>(file)) == 0) return true;
    error = errno;
    return false;
}

bool Close(Handle file, int& error) {
    if (close(static_cast<int>(file)) == 0) return true;
    error = errno;
    return false;
}

bool RenameOver(const std::string& from, const std::string& to, int& error) {
    if (rename(from.c_str(), to.c_str()) == 0) return true;
    error = errno;
    return false;
}

bool RenameIfFree(const std::string& from, const std::string& to, bool& taken, int& error) {
    const Placement placement = PlaceNewFile(from.c_str(), to.c_str());
    taken = placement == Placement::NameTaken;
    if (placement == Placement::Failed) error = errno;
    return placement == Placement::Placed;
}

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool ResolveLinks(const std::string& path, std::string& resolved, int& error) {
    resolved = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st;
        if (lstat(resolved.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        char target[4096];
        const ssize_t length = readlink(resolved.c_str(), target, sizeof target);
        if (length < 0 || static_cast<std::size_t>(length) >= sizeof target) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        const std::string link(target, static_cast<std::size_t>(length));
        const std::size_t slash = resolved.rfind('/');
        resolved = link[0] == '/' || slash == std::string::npos ? link : resolved.substr(0, slash + 1) + link;
    }
    error = ELOOP;
    return false;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

unsigned ExecutePermissionsOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH);
}

bool AddPermissions(const std::string& path, unsigned permissions, int& error) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || chmod(path.c_str(), (st.st_mode & 07777) | permissions) != 0) {
        error = errno;
        return false;
    }
    return true;
}

std::string ErrorText(int error) { return std::strerror(error); }

std::uint64_t RunUniqueNumber() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (static_cast<std::uint64_t>(getpid()) << 40) ^ static_cast<std::uint64_t>(now.tv_sec) * 1000000007u ^
           static_cast<std::uint64_t>(now.tv_nsec);
}

}  // namespace file_system
