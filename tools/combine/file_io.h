#pragma once
// Whole-file reading and all-or-nothing writing for the combine tool. On
// failure each returns false and sets `problem` to a short text such as
// "cannot read: No such file or directory" (the caller names the file).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& problem);

// Writes `bytes` to a new temporary file next to `path`, adds
// `addedPermissions` to it, then renames it over `path`. Either `path` ends
// up holding exactly `bytes`, or it is left as it was and the temporary file
// is gone.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::filesystem::perms addedPermissions, std::string& problem);
