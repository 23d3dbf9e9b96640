#include "platform/file_replacement.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdint>

namespace {

// MoveFileExA is taken at run time: Windows 95/98 export it only as a stub
// that fails, and the programs import nothing newer than Windows 95 has.
using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);

class Win32FileMoves : public FileMoves {
public:
    ReplacingMove MoveReplacing(const char* from, const char* to) override {
        const HMODULE kernel = GetModuleHandleA("kernel32.dll");
        const auto moveFileEx =
            kernel != nullptr ? reinterpret_cast<MoveFileExFunction>(
                                    reinterpret_cast<void*>(GetProcAddress(kernel, "MoveFileExA")))
                              : nullptr;
        if (moveFileEx == nullptr) return ReplacingMove::NotSupported;
        if (moveFileEx(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return ReplacingMove::Done;
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? ReplacingMove::NotSupported : ReplacingMove::Failed;
    }
    // The C runtime's rename is MoveFile: it fails over an existing file.
    bool Move(const char* from, const char* to) override { return std::rename(from, to) == 0; }
    bool Remove(const char* path) override { return std::remove(path) == 0; }
};

}  // namespace

std::FILE* CreateNewFile(const char* path) {
    // The Windows C runtime knows no "x" mode: looked at first instead.
    if (std::FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        return nullptr;
    }
    return std::fopen(path, "wb");
}

// The C runtime's buffers, then the system's for the file's handle.
bool FlushToDisk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    const intptr_t handle = _get_osfhandle(_fileno(file));
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

// The C runtime's rename is MoveFile, which never replaces a file: a name
// that is taken fails with EEXIST.
Placement PlaceNewFile(const char* from, const char* to) {
    if (std::rename(from, to) == 0) return Placement::Placed;
    return errno == EEXIST ? Placement::NameTaken : Placement::Failed;
}

bool MoveReplacingFile(const char* from, const char* to) {
    // Never removes the old file before the new one has its name.
    Win32FileMoves moves;
    return ReplaceThroughMoves(moves, from, to);
}
