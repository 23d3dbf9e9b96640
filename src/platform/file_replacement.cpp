#include "platform/file_replacement.h"

#include "platform/fixed_text.h"

bool ReplaceThroughMoves(FileMoves& moves, const char* from, const char* to) {
    const ReplacingMove replacing = moves.MoveReplacing(from, to);
    if (replacing != ReplacingMove::NotSupported) return replacing == ReplacingMove::Done;

    // Nothing of that name yet: a plain move is enough.
    if (moves.Move(from, to)) return true;

    FixedText<kPathCapacity + 8> aside;
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

ReplacingFileService::~ReplacingFileService() {
    if (stream_ != nullptr) {
        failed_ = true;
        Close(stream_);
    }
}

FileHandle ReplacingFileService::OpenForWriteNoTruncate(const char* path) {
    if (stream_ != nullptr || path == nullptr || path[0] == '\0') return nullptr;
    target_.Assign(path);
    temporary_.Format("%s.partial", path);
    if (target_.truncated() || temporary_.truncated()) return nullptr;
    // Never over a file that is there already (a second save running).
    stream_ = CreateNewFile(temporary_.c_str());
    written_ = 0;
    failed_ = false;
    committed_ = false;
    targetExisted_ = false;
    return stream_;
}

bool ReplacingFileService::GetLength(FileHandle file, std::uint64_t& length) {
    if (!Holds(file)) return false;
    length = written_;
    return true;
}

bool ReplacingFileService::SetLength(FileHandle file, std::uint64_t length) {
    return Holds(file) && length == 0 && written_ == 0;
}

bool ReplacingFileService::Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) {
    if (!Holds(file) || failed_) return false;
    if (std::fwrite(data, 1, count, stream_) != count) {
        failed_ = true;
        return false;
    }
    written_ += count;
    return true;
}

void ReplacingFileService::Close(FileHandle file) {
    if (!Holds(file)) return;
    // On the disk before it is named.
    const bool flushed = FlushToDisk(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!failed_ && written_ > 0 && flushed && closed) {
        if (existing_ == ExistingTarget::Replace) {
            committed_ = MoveReplacingFile(temporary_.c_str(), target_.c_str());
        } else {
            const Placement placed = PlaceNewFile(temporary_.c_str(), target_.c_str());
            committed_ = placed == Placement::Placed;
            targetExisted_ = placed == Placement::NameTaken;
        }
        if (committed_) return;
    }
    std::remove(temporary_.c_str());
}
