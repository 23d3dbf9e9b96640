#include <windows.h>

#include <cerrno>
#include <cstdio>

#include "platform/complete_file.h"

// MoveFileExA, which Windows 95 lacks, is looked up at run time.
namespace {

int LastError() { return static_cast<int>(GetLastError()); }

// Blocks longer than this are written in parts.
constexpr DWORD kLargestTransfer = 0x40000000u;

// Runs on a thread of its own; returning FALSE passes the event on to the
// next handler, in the end the default one, which ends the program.
BOOL WINAPI RemoveArmedFileOnConsoleEvent(DWORD) {
    RemoveArmedTemporaryFile();
    return FALSE;
}

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
        // Windows 95/98 export it as a stub that fails this way.
        return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? ReplacingMove::NotSupported : ReplacingMove::Failed;
    }
    // The C runtime's rename is MoveFileA: it fails over an existing file.
    bool Move(const char* from, const char* to) override { return std::rename(from, to) == 0; }
    bool Remove(const char* path) override { return std::remove(path) == 0; }
};

}  // namespace

void InstallInterruptHandlersOnce() {
    static bool installed = false;
    if (!installed) installed = SetConsoleCtrlHandler(RemoveArmedFileOnConsoleEvent, TRUE) != 0;
}

void CloseFileNow(FileDescriptor file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

// The systems the programs are for keep no symbolic links to follow.
bool ResolveLinks(const char* path, LongPathText& resolved, int&) {
    resolved.Assign(path);
    return true;
}

// Windows keeps no execute permissions to add.
bool WriteNewFile(const char* path, const void* data, std::size_t size, unsigned, TemporaryFileGuard& guard,
                  bool& nameTaken, int& error) {
    const HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = LastError();
        nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        guard.Disarm();
        return false;
    }
    guard.SetOpenFile(reinterpret_cast<FileDescriptor>(file));
    const char* next = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        DWORD written = 0;
        const DWORD asked = size > kLargestTransfer ? kLargestTransfer : static_cast<DWORD>(size);
        // A write that takes nothing would never end the loop.
        ok = WriteFile(file, next, asked, &written, nullptr) != 0 && written != 0;
        next += written;
        size -= written;
    }
    if (ok) ok = FlushFileBuffers(file) != 0;
    if (!ok) error = LastError();
    guard.SetOpenFile(kNoFile);
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = LastError();
    }
    if (!ok) std::remove(path);
    return ok;
}

// Never removes the old file before the new one has its name.
bool MoveReplacingFile(const char* from, const char* to, int& error) {
    Win32FileMoves moves;
    if (ReplaceThroughMoves(moves, from, to)) return true;
    error = LastError();
    return false;
}

// rename (MoveFileA) fails with EEXIST on a name that is taken.
Placement PlaceNewFile(const char* from, const char* to, int& error) {
    if (std::rename(from, to) == 0) return Placement::Placed;
    error = LastError();
    return errno == EEXIST ? Placement::NameTaken : Placement::Failed;
}

bool RemoveFile(const char* path) { return std::remove(path) == 0; }

std::uint64_t RunUniqueNumber() {
    static std::uint32_t calls = 0;
    int onTheStack = 0;
    return (static_cast<std::uint64_t>(GetTickCount()) << 32) ^
           static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&onTheStack)) ^ (++calls * 2654435761u);
}
