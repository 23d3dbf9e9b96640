#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace file_system {

Kind KindOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? Kind::kMissing : Kind::kUnknown;
    return S_ISREG(st.st_mode) ? Kind::kRegular : Kind::kNotRegular;
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

bool Close(Handle file, int& error) {
    if (close(static_cast<int>(file)) == 0) return true;
    error = errno;
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

std::string ErrorText(int error) { return std::strerror(error); }

}  // namespace file_system
