#include "crt_file_service.h"


#include <cstdint>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A descriptor travels in the handle as descriptor + 1, so that null stays
// "no file" even for descriptor 0.
FileHandle ToHandle(int descriptor) {
    return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(descriptor) + 1);
}
int ToDescriptor(FileHandle file) { return static_cast<int>(reinterpret_cast<std::intptr_t>(file) - 1); }

}  // namespace

FileHandle CrtFileService::OpenForWriteNoTruncate(const char* path) {
    if (path == nullptr || path[0] == '\0') return nullptr;
#if defined(_WIN32)
    const int descriptor = _open(path, _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    const int descriptor = open(path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
#endif
    return descriptor < 0 ? nullptr : ToHandle(descriptor);
}

bool CrtFileService::GetLength(FileHandle file, std::uint64_t& length) {
    if (file == nullptr) return false;
#if defined(_WIN32)
    struct _stati64 status;
    if (_fstati64(ToDescriptor(file), &status) != 0) return false;
#else
    struct stat status;
    if (fstat(ToDescriptor(file), &status) != 0) return false;
#endif
    length = static_cast<std::uint64_t>(status.st_size);
    return true;
}

bool CrtFileService::SetLength(FileHandle file, std::uint64_t length) {
    if (file == nullptr) return false;
#if defined(_WIN32)
    return _chsize_s(ToDescriptor(file), static_cast<__int64>(length)) == 0;
#else
    return ftruncate(ToDescriptor(file), static_cast<off_t>(length)) == 0;
#endif
}

bool CrtFileService::Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) {
    if (file == nullptr) return false;
    const int descriptor = ToDescriptor(file);
    while (count > 0) {
#if defined(_WIN32)
        const int written = _write(descriptor, data, count);
#else
        const ssize_t written = write(descriptor, data, count);
#endif
        if (written <= 0) return false;
        data += written;
        count -= static_cast<std::uint32_t>(written);
    }
    return true;
}

void CrtFileService::Close(FileHandle file) {
    if (file == nullptr) return;
#if defined(_WIN32)
    _close(ToDescriptor(file));
#else
    close(ToDescriptor(file));
#endif
}
