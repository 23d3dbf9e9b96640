#include "file_io.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

// A name next to `path` that does not exist yet, or an empty text if none
// was found.
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
        if (!fs::exists(name, ec) && !ec) return name;
    }
    return {};
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& problem) {
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        problem = "cannot read: " + ErrnoText(errno);
        return false;
    }
    std::uint8_t chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) break;
    }
    const int readError = std::ferror(file) ? errno : 0;
    std::fclose(file);
    if (readError != 0) {
        problem = "cannot read: " + ErrnoText(readError);
        bytes.clear();
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         fs::perms addedPermissions, std::string& problem) {
    const std::string temporary = TemporaryNameNextTo(path);
    if (temporary.empty()) {
        problem = "cannot write: no unused temporary file name next to it";
        return false;
    }
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        problem = "cannot write: " + ErrnoText(errno);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    int error = ok ? 0 : errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    std::error_code ec;
    if (!ok) {
        problem = "cannot write: " + ErrnoText(error);
    } else {
        if (addedPermissions != fs::perms::none) {
            fs::permissions(temporary, addedPermissions, fs::perm_options::add, ec);
        }
        if (!ec) fs::rename(temporary, path, ec);
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
