#include "platform/complete_file.h"

namespace {

// Creates a file of a new name beside `target`, tried under a few names
// that differ between runs; each is created only while it is free, so a
// name taken in between is never written over.
FileDescriptor CreateTemporaryFile(const char* target, LongPathText& temporary, TemporaryFileGuard& guard,
                                   CompleteFileOutcome& outcome, int& error) {
    std::uint64_t state = RunUniqueNumber();
    for (int attempt = 0; attempt < 16; ++attempt) {
        // One step of a 64-bit linear congruential generator per attempt.
        state = state * 6364136223846793005u + 1442695040888963407u;
        temporary.Format("%s.partial-%08lx", target, static_cast<unsigned long>(state >> 32));
        if (temporary.truncated()) {
            outcome = CompleteFileOutcome::NameTooLong;
            return kNoFile;
        }
        // Armed before the file exists: an interruption from here on
        // removes whatever part of it was written.
        guard.Arm(temporary.c_str());
        bool nameTaken = false;
        const FileDescriptor file = CreateNewFile(temporary.c_str(), nameTaken, error);
        if (file == kNoFile) guard.Disarm();  // the name may be another's
        if (file != kNoFile || !nameTaken) {
            outcome = CompleteFileOutcome::Failed;
            return file;
        }
    }
    outcome = CompleteFileOutcome::NoTemporaryName;
    return kNoFile;
}

}  // namespace

CompleteFileOutcome WriteCompleteFile(const char* path, const void* data, std::size_t size,
                                      ExistingTarget existing, unsigned addedPermissions, int& error) {
    error = 0;
    if (size == 0) return CompleteFileOutcome::Failed;
    LongPathText target;
    target.Assign(path);
    if (target.truncated()) return CompleteFileOutcome::NameTooLong;
    if (!ResolveLinks(path, target, error)) return CompleteFileOutcome::Failed;

    LongPathText temporary;
    CompleteFileOutcome outcome = CompleteFileOutcome::Failed;
    TemporaryFileGuard guard;
    const FileDescriptor file = CreateTemporaryFile(target.c_str(), temporary, guard, outcome, error);
    if (file == kNoFile) return outcome;
    guard.SetOpenFile(file);
    bool ok = WriteAll(file, data, size, error);
    // On the disk before it is named: after a crash the name holds either
    // the old content or the whole new one, never a renamed empty file.
    if (ok) ok = FlushToDisk(file, error);
    guard.SetOpenFile(kNoFile);
    int closeError = 0;
    if (!CloseFile(file, closeError) && ok) {
        ok = false;
        error = closeError;
    }
    if (ok && addedPermissions != 0) ok = AddPermissions(temporary.c_str(), addedPermissions, error);
    if (ok && existing == ExistingTarget::Replace) {
        if (MoveReplacingFile(temporary.c_str(), target.c_str(), error)) return CompleteFileOutcome::Written;
    } else if (ok) {
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
