#include "platform/file_replacement.h"

#include <windows.h>
// <windows.h> names its own ReplaceFile (ReplaceFileA); this file defines ours.
#undef ReplaceFile

#include "platform/replace_through_moves.h"

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

// The C runtime's buffers only: the replacing move asks for write-through,
// and the programs import no call that flushes a file's handle.
bool FlushToDisk(std::FILE* file) { return std::fflush(file) == 0; }

bool ReplaceFile(const char* from, const char* to) {
    // Never removes the old file before the new one has its name.
    Win32FileMoves moves;
    return ReplaceThroughMoves(moves, from, to);
}
