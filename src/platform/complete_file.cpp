#include "platform/complete_file.h"

#include <csignal>
#include <cstring>

namespace {

// The armed path, in storage the handler may read: a fixed buffer, written
// only while no path is armed.
char g_path[kLongestFileName + 1];
volatile std::sig_atomic_t g_armed = 0;
volatile FileDescriptor g_openFile = kNoFile;

}  // namespace

void TemporaryFileGuard::Arm(const char* path) {
    InstallInterruptHandlersOnce();
    Disarm();
    const std::size_t length = std::strlen(path);
    if (length >= sizeof g_path) return;
    std::memcpy(g_path, path, length + 1);
    g_armed = 1;
}

void TemporaryFileGuard::Disarm() {
    g_armed = 0;
    g_openFile = kNoFile;
}

void TemporaryFileGuard::SetOpenFile(FileDescriptor file) { g_openFile = file; }

void RemoveArmedTemporaryFile() {
    if (!g_armed) return;
    if (g_openFile != kNoFile) CloseFileNow(g_openFile);
    RemoveFile(g_path);
    g_armed = 0;
}

CompleteFileOutcome WriteCompleteFile(const char* path, const void* data, std::size_t size, ExistingTarget existing,
                                      TargetLinks links, unsigned addedPermissions, int& error) {
    error = 0;
    if (size == 0) return CompleteFileOutcome::Failed;
    LongPathText target;
    LongPathText temporary;
    target.Assign(path);
    if (target.truncated()) return CompleteFileOutcome::NameTooLong;
    if (links == TargetLinks::Followed && !ResolveLinks(path, target, error)) return CompleteFileOutcome::Failed;

    // A new name beside the target, tried under a few names that differ
    // between runs; a name taken meanwhile is never written over.
    TemporaryFileGuard guard;
    std::uint64_t state = RunUniqueNumber();
    bool nameTaken = true;
    bool written = false;
    for (int attempt = 0; attempt < 16 && nameTaken; ++attempt) {
        // One step of a 64-bit linear congruential generator per attempt.
        state = state * 6364136223846793005u + 1442695040888963407u;
        temporary.Format("%s.partial-%08lx", target.c_str(), static_cast<unsigned long>(state >> 32));
        if (temporary.truncated()) return CompleteFileOutcome::NameTooLong;
        // Armed before the file exists: an interruption from here on
        // removes whatever part of it was written.
        guard.Arm(temporary.c_str());
        nameTaken = false;
        written = WriteNewFile(temporary.c_str(), data, size, addedPermissions, guard, nameTaken, error);
    }
    if (nameTaken) return CompleteFileOutcome::NoTemporaryName;
    if (!written) return CompleteFileOutcome::Failed;
    // On the disk before it is named: after a crash the name holds either
    // the old content or the whole new one, never a renamed empty file.
    CompleteFileOutcome outcome = CompleteFileOutcome::Failed;
    if (existing == ExistingTarget::Replace) {
        if (MoveReplacingFile(temporary.c_str(), target.c_str(), error)) return CompleteFileOutcome::Written;
    } else {
        switch (PlaceNewFile(temporary.c_str(), target.c_str(), error)) {
        case Placement::Placed: return CompleteFileOutcome::Written;
        case Placement::NameTaken: outcome = CompleteFileOutcome::NameTaken; break;
        case Placement::Failed: break;
        }
    }
    RemoveFile(temporary.c_str());
    return outcome;
}

bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to) {
    const ReplacingMove replacing = moves.MoveReplacing(from, to);
    if (replacing != ReplacingMove::NotSupported) return replacing == ReplacingMove::Done;

    // Nothing of that name yet: a plain move is enough.
    if (moves.Move(from, to)) return true;

    FixedText<kLongestFileName + 8> aside;
    aside.Format("%s.old", to);
    if (aside.truncated()) return false;
    // An old file that cannot be moved aside stays where it is.
    if (!moves.Move(to, aside.c_str())) return false;
    if (moves.Move(from, to)) {
        moves.Remove(aside.c_str());
        return true;
    }
    moves.Move(aside.c_str(), to);
    return false;
}
