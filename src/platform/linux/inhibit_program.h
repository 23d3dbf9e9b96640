#pragma once
// The sleep inhibitor of a statically linked ktxflash, which cannot load
// libsystemd: systemd-inhibit holds logind's block for a child that waits
// on a pipe, and the block lasts until the pipe's write end is closed.

#include "platform/linux/sleep_inhibitor.h"

namespace linux_power {

constexpr char kSystemdInhibitProgram[] = "/usr/bin/systemd-inhibit";

// Runs `program` (systemd-inhibit's command line) as
//   PROGRAM --what=sleep:shutdown --who=WHO --why=WHY --mode=block /bin/sh -c ...
// in a session of its own, so that the terminal's Ctrl+C and hang-up do not
// reach it, and waits a few seconds at most until the block is held. The
// inhibitor owns the pipe: releasing it ends the child and the block.
// Holds nothing when the program is missing or logind refuses.
SleepInhibitor InhibitThroughProgram(const char* who, const char* why,
                                     const char* program = kSystemdInhibitProgram);

}  // namespace linux_power
