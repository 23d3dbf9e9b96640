#include "app/terminal/firmware_file_writer.h"

#include <cerrno>
#include <cstdio>

#include "platform/complete_file.h"
#include "platform/fixed_text.h"

bool FileIsThere(const char* path) {
    errno = 0;
    if (std::FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        return true;
    }
    return errno != ENOENT;
}

FileWriteOutcome WriteFirmwareFile(const char* path, const std::uint8_t* data, std::uint32_t size, bool mayReplace) {
    PathText name;
    name.Assign(path);
    if (name.truncated()) return FileWriteOutcome::NameTooLong;
    if (!mayReplace && FileIsThere(path)) return FileWriteOutcome::Exists;
    const ExistingTarget existing = mayReplace ? ExistingTarget::Replace : ExistingTarget::Keep;
    int error = 0;
    // ktxflash runs as root: a link at the name is the name's file, never
    // a way to write elsewhere.
    switch (WriteCompleteFile(path, data, size, existing, TargetLinks::NotFollowed, 0, error)) {
    case CompleteFileOutcome::Written: return FileWriteOutcome::Written;
    // A file that took the name after it was looked at is kept too.
    case CompleteFileOutcome::NameTaken: return FileWriteOutcome::Exists;
    case CompleteFileOutcome::NameTooLong: return FileWriteOutcome::NameTooLong;
    case CompleteFileOutcome::NoTemporaryName:
    case CompleteFileOutcome::Failed: break;
    }
    return FileWriteOutcome::Failed;
}

const char* FileWriteOutcomeText(FileWriteOutcome outcome) {
    switch (outcome) {
    case FileWriteOutcome::Written: return "";
    case FileWriteOutcome::Exists: return "the file exists";
    case FileWriteOutcome::NameTooLong: return "the file name is too long";
    case FileWriteOutcome::Failed: return "the file could not be written (nothing was left behind)";
    }
    return "the file could not be written";
}
