#pragma once
// The two steps of a save that replaces a file which differ between
// systems: creating a file that must be new, and giving it the name of the
// file it replaces. One definition per system (platform/posix,
// platform/win32).

#include <cstdio>

// Opens `path` for binary writing only when no file of that name exists;
// null when one does or when it cannot be made.
std::FILE* CreateNewFile(const char* path);

// Writes what `file` buffers and asks the system to put it on the disk;
// true when both succeeded.
bool FlushToDisk(std::FILE* file);

// Gives the file `from` the name `to`, replacing a file of that name; true
// when it did.
bool ReplaceFile(const char* from, const char* to);

enum class Placement { Placed, NameTaken, Failed };

// Gives the file `from` the name `to` only if no file has that name, in
// one step: a file that takes the name in the meantime is never replaced
// (NameTaken). On failure `from` is left as it was.
Placement PlaceNewFile(const char* from, const char* to);
