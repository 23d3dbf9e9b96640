#pragma once
// What differs between the systems ktxflash runs on, beside its drives:
// the help text with the system's own examples, and how a command that
// ktxflash prints for the user to type reads on that system (what gives it
// the rights of the upgrade, how a path is put together and quoted). Each
// system's entry point hands its own to the program.

#include "platform/fixed_text.h"

namespace terminal {

struct FlashConventions {
    // What --help prints first: the forms of the command line and this
    // system's examples (the options, the same on every system, follow).
    const char* usage;
    // Put before a printed command that sends firmware ("sudo " on Linux).
    const char* elevate;
    char pathSeparator;
    // Quoting of a word with spaces or other special characters: POSIX
    // single quotes, else (the Windows console) double quotes.
    bool posixQuoting;
};

extern const FlashConventions kLinuxFlashConventions;
extern const FlashConventions kWindowsFlashConventions;

// Appends `word` as one word of a command the user types: quoted when it
// holds a space or a character the command interpreter would act on, the
// rest as typed (control characters escaped).
void AppendCommandWord(const FlashConventions& conventions, const char* word, TextBuffer& out);

// Appends `path` made absolute against `currentDirectory` (a path that is
// already absolute is appended as it is).
void AppendAbsolutePath(const FlashConventions& conventions, const char* currentDirectory, const char* path,
                        TextBuffer& out);

}  // namespace terminal
