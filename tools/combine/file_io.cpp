#include "file_io.h"

#include <cstdio>

#include "file_system.h"
#include "interrupt_cleanup.h"

namespace fsys = file_system;

namespace {

constexpr const char kNotRegular[] = "not a regular file (a FIFO, device or directory cannot be used)";

std::string Problem(const char* what, int error) { return std::string(what) + ": " + fsys::ErrorText(error); }

// A name next to `path` that does not exist yet, or an empty text if none
// was found. The file is then created exclusively, so a name taken in
// between is never overwritten.
std::string TemporaryNameNextTo(const std::string& path) {
    std::uint64_t state = fsys::RunUniqueNumber();
    for (int attempt = 0; attempt < 16; ++attempt) {
        // One step of a 64-bit linear congruential generator per attempt.
        state = state * 6364136223846793005u + 1442695040888963407u;
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".ktxcombine-%08lx", static_cast<unsigned long>(state >> 32));
        const std::string name = path + suffix;
        if (!fsys::Exists(name)) return name;
    }
    return {};
}

bool WriteAll(fsys::Handle file, const std::vector<std::uint8_t>& bytes, int& error) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const long count = fsys::WriteSome(file, bytes.data() + written, bytes.size() - written, error);
        if (count < 0) return false;
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
    if (fsys::KindOf(path) == fsys::Kind::kNotRegular) {
        problem = kNotRegular;
        return ReadOutcome::kFailed;
    }
    int error = 0;
    const fsys::Handle file = fsys::OpenForReading(path, error);
    if (file == fsys::kNoHandle) {
        problem = Problem("cannot read", error);
        return ReadOutcome::kFailed;
    }
    std::uint64_t onDisk = 0;
    bool notRegular = false;
    if (!fsys::RegularFileSize(file, onDisk, notRegular, error)) {
        problem = notRegular ? kNotRegular : Problem("cannot read", error);
        fsys::Close(file, error);
        return ReadOutcome::kFailed;
    }
    size = onDisk;
    if (size > limit) {
        fsys::Close(file, error);
        return ReadOutcome::kTooLarge;
    }

    // One byte more than the size on disk shows a file that grew; the
    // buffer may throw std::bad_alloc, which the command line reports.
#if defined(__cpp_exceptions)
    try {
        bytes.resize(static_cast<std::size_t>(size) + 1);
    } catch (...) {
        fsys::Close(file, error);
        throw;
    }
#else
    bytes.resize(static_cast<std::size_t>(size) + 1);
#endif
    std::size_t got = 0;
    int readError = 0;
    while (got < bytes.size()) {
        const long count = fsys::ReadSome(file, bytes.data() + got, bytes.size() - got, readError);
        if (count <= 0) break;
        got += static_cast<std::size_t>(count);
    }
    fsys::Close(file, error);
    if (readError != 0) {
        bytes.clear();
        problem = Problem("cannot read", readError);
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

bool SameFile(const std::string& a, const std::string& b) { return fsys::SameFile(a, b); }

WriteOutcome WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                 unsigned addedPermissions, Existing existing, std::string& problem) {
    std::string target;
    int error = 0;
    if (!fsys::ResolveLinks(path, target, error)) {
        problem = Problem("cannot write", error);
        return WriteOutcome::kFailed;
    }
    const fsys::Kind kind = fsys::KindOf(target);
    if (kind == fsys::Kind::kNotRegular) {
        problem = kNotRegular;
        return WriteOutcome::kFailed;
    }
    if (kind == fsys::Kind::kRegular && existing == Existing::kKeep) return WriteOutcome::kNameTaken;

    const std::string temporary = TemporaryNameNextTo(target);
    if (temporary.empty()) {
        problem = "cannot write: no unused temporary file name next to it";
        return WriteOutcome::kFailed;
    }
    // Armed before the file exists: an interruption from here on removes
    // whatever part of it was written.
    TemporaryFileGuard guard(temporary);
    const fsys::Handle file = fsys::CreateExclusively(temporary, error);
    if (file == fsys::kNoHandle) {
        problem = Problem("cannot write", error);
        return WriteOutcome::kFailed;
    }
    guard.SetOpenFile(file);
    bool ok = WriteAll(file, bytes, error);
    // On disk before the rename: after a crash the name holds either the
    // old content or the whole new one, never a renamed empty file.
    if (ok) ok = fsys::FlushToDisk(file, error);
    guard.SetOpenFile(fsys::kNoHandle);
    int closeError = 0;
    if (!fsys::Close(file, closeError) && ok) {
        ok = false;
        error = closeError;
    }
    if (ok && addedPermissions != 0) ok = fsys::AddPermissions(temporary, addedPermissions, error);
    bool taken = false;
    if (ok) {
        ok = existing == Existing::kReplace ? fsys::RenameOver(temporary, target, error)
                                            : fsys::RenameIfFree(temporary, target, taken, error);
    }
    if (ok) return WriteOutcome::kWritten;
    fsys::RemoveFile(temporary);
    if (taken) return WriteOutcome::kNameTaken;
    problem = Problem("cannot write", error);
    return WriteOutcome::kFailed;
}
