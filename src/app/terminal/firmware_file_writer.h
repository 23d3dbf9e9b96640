#pragma once
// Writes firmware read from a drive to a file, complete or not at all: the
// bytes go to a temporary file beside it, on the disk before the file
// takes its name (WriteCompleteFile). A file of that name is replaced
// only when the caller allows it.

#include <cstdint>

enum class FileWriteOutcome {
    Written,
    Exists,       // a file of that name is there and may not be replaced
    NameTooLong,  // the name does not fit
    Failed,       // a write, the flush or the rename failed; nothing was left behind
};

FileWriteOutcome WriteFirmwareFile(const char* path, const std::uint8_t* data, std::uint32_t size, bool mayReplace);

// False only when `path` names nothing: a file that is there but cannot be
// read counts as there.
bool FileIsThere(const char* path);

// A line's worth of what went wrong ("" for Written).
const char* FileWriteOutcomeText(FileWriteOutcome outcome);
