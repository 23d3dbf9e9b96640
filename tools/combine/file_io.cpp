#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include "interrupt_cleanup.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// The few descriptor calls the tool needs, under their names on each system.
#ifdef _WIN32
using FileStat = struct _stat64;
int OpenForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }
int CreateExclusively(const std::string& path) {
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int StatOf(int fd, FileStat& st) { return _fstat64(fd, &st); }
bool IsRegular(const FileStat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
long ReadSome(int fd, void* buffer, std::size_t length) {
    return _read(fd, buffer, static_cast<unsigned>(length > 0x40000000u ? 0x40000000u : length));
}
long WriteSome(int fd, const void* buffer, std::size_t length) {
    return _write(fd, buffer, static_cast<unsigned>(length > 0x40000000u ? 0x40000000u : length));
}
int FlushToDisk(int fd) { return _commit(fd); }
int CloseFile(int fd) { return _close(fd); }
#else
using FileStat = struct stat;
// Non-blocking, so that opening a FIFO returns at once and the type check
// below refuses it instead of waiting for a writer.
int OpenForReading(const std::string& path) { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }
int CreateExclusively(const std::string& path) {
    return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int StatOf(int fd, FileStat& st) { return fstat(fd, &st); }
bool IsRegular(const FileStat& st) { return S_ISREG(st.st_mode); }
long ReadSome(int fd, void* buffer, std::size_t length) { return static_cast<long>(read(fd, buffer, length)); }
long WriteSome(int fd, const void* buffer, std::size_t length) {
    return static_cast<long>(write(fd, buffer, length));
}
int FlushToDisk(int fd) { return fsync(fd); }
int CloseFile(int fd) { return close(fd); }
#endif

constexpr const char kNotRegular[] = "not a regular file (a FIFO, device or directory cannot be used)";

std::string ErrnoText(int error) { return std::strerror(error); }

// A name next to `path` that does not exist yet, or an empty text if none
// was found. The file is then created exclusively, so a name taken in
// between is never overwritten.
std::string TemporaryNameNextTo(const std::string& path) {
    std::random_device device;
    std::uint64_t seed = device() ^ static_cast<std::uint64_t>(
                                        std::chrono::steady_clock::now().time_since_epoch().count());
    std::mt19937_64 rng(seed);
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".ktxcombine-%08lx",
                      static_cast<unsigned long>(rng() & 0xFFFFFFFFu));
        const std::string name = path + suffix;
        std::error_code ec;
        if (fs::symlink_status(name, ec).type() == fs::file_type::not_found) return name;
    }
    return {};
}

// The file `path` finally names: symbolic links followed one at a time, so
// that a link to a file not yet there leads to where it is to be created.
bool ResolveLinks(const std::string& path, fs::path& resolved, std::string& problem) {
    resolved = path;
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(resolved, ec);
        if (ec || !fs::is_symlink(status)) return true;
        const fs::path target = fs::read_symlink(resolved, ec);
        if (ec) {
            problem = "cannot write: " + ec.message();
            return false;
        }
        resolved = target.is_absolute() ? target : resolved.parent_path() / target;
    }
    problem = "cannot write: too many levels of symbolic links";
    return false;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, int& error) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const long count = WriteSome(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

ReadOutcome ReadRegularFile(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                            std::uintmax_t& size, std::string& problem) {
    bytes.clear();
    size = 0;
    // Named first by what the path is (Windows refuses to open a directory
    // with "Permission denied"); the open file is checked again below.
    std::error_code ec;
    const fs::file_status named = fs::status(path, ec);
    if (!ec && fs::exists(named) && !fs::is_regular_file(named)) {
        problem = kNotRegular;
        return ReadOutcome::kFailed;
    }
    const int fd = OpenForReading(path);
    if (fd < 0) {
        problem = "cannot read: " + ErrnoText(errno);
        return ReadOutcome::kFailed;
    }
    FileStat st{};
    if (StatOf(fd, st) != 0) {
        problem = "cannot read: " + ErrnoText(errno);
        CloseFile(fd);
        return ReadOutcome::kFailed;
    }
    if (!IsRegular(st)) {
        problem = kNotRegular;
        CloseFile(fd);
        return ReadOutcome::kFailed;
    }
    size = st.st_size < 0 ? 0 : static_cast<std::uintmax_t>(st.st_size);
    if (size > limit) {
        CloseFile(fd);
        return ReadOutcome::kTooLarge;
    }

    // One byte more than the size on disk shows a file that grew; the
    // buffer may throw std::bad_alloc, which the command line reports.
    try {
        bytes.resize(static_cast<std::size_t>(size) + 1);
    } catch (...) {
        CloseFile(fd);
        throw;
    }
    std::size_t got = 0;
    int readError = 0;
    while (got < bytes.size()) {
        const long count = ReadSome(fd, bytes.data() + got, bytes.size() - got);
        if (count < 0) {
            if (errno == EINTR) continue;
            readError = errno;
            break;
        }
        if (count == 0) break;
        got += static_cast<std::size_t>(count);
    }
    CloseFile(fd);
    if (readError != 0) {
        bytes.clear();
        problem = "cannot read: " + ErrnoText(readError);
        return ReadOutcome::kFailed;
    }
    if (got > limit) {
        bytes.clear();
        size = got;
        return ReadOutcome::kTooLarge;
    }
    bytes.resize(got);
    size = got;
    return ReadOutcome::kRead;
}

bool SameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         fs::perms addedPermissions, std::string& problem) {
    fs::path target;
    if (!ResolveLinks(path, target, problem)) return false;
    std::error_code statusError;
    const fs::file_status status = fs::status(target, statusError);
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        problem = kNotRegular;
        return false;
    }

    const std::string temporary = TemporaryNameNextTo(target.string());
    if (temporary.empty()) {
        problem = "cannot write: no unused temporary file name next to it";
        return false;
    }
    // Armed before the file exists: an interruption from here on removes
    // whatever part of it was written.
    TemporaryFileGuard guard(temporary);
    const int fd = CreateExclusively(temporary);
    if (fd < 0) {
        problem = "cannot write: " + ErrnoText(errno);
        return false;
    }
    std::error_code ec;
    guard.SetOpenDescriptor(fd);
    int error = 0;
    bool ok = WriteAll(fd, bytes, error);
    // On disk before the rename: after a crash the name holds either the
    // old content or the whole new one, never a renamed empty file.
    if (ok && FlushToDisk(fd) != 0) {
        ok = false;
        error = errno;
    }
    guard.SetOpenDescriptor(-1);
    if (CloseFile(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        problem = "cannot write: " + ErrnoText(error);
    } else {
        if (addedPermissions != fs::perms::none) {
            fs::permissions(temporary, addedPermissions, fs::perm_options::add, ec);
        }
        if (!ec) fs::rename(temporary, target, ec);
        if (ec) {
            ok = false;
            problem = "cannot write: " + ec.message();
        }
    }
    if (!ok) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
    }
    return ok;
}
