#include "file_io.h"

#include "file_system.h"
#include "platform/complete_file.h"

namespace fsys = file_system;

namespace {

constexpr const char kNotRegular[] = "not a regular file (a FIFO, device or directory cannot be used)";

std::string Problem(const char* what, int error) { return std::string(what) + ": " + fsys::ErrorText(error); }

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
    // Neither a FIFO nor a device is replaced by a regular file.
    if (fsys::KindOf(path) == fsys::Kind::kNotRegular) {
        problem = kNotRegular;
        return WriteOutcome::kFailed;
    }
    int error = 0;
    switch (WriteCompleteFile(path.c_str(), bytes.data(), bytes.size(),
                              existing == Existing::kReplace ? ExistingTarget::Replace : ExistingTarget::Keep,
                              TargetLinks::Followed, addedPermissions, error)) {
    case CompleteFileOutcome::Written: return WriteOutcome::kWritten;
    case CompleteFileOutcome::NameTaken: return WriteOutcome::kNameTaken;
    case CompleteFileOutcome::NameTooLong: problem = "cannot write: File name too long"; break;
    case CompleteFileOutcome::NoTemporaryName:
        problem = "cannot write: no unused temporary file name next to it";
        break;
    case CompleteFileOutcome::Failed: problem = Problem("cannot write", error); break;
    }
    return WriteOutcome::kFailed;
}
