#pragma once
// ktxflash --json: what a run finds and does, as JSON Lines on standard
// output (text for people goes to standard error). The first object names
// the schema version and the action; then, as they happen, the drives, the
// package, each check, the backup, each block compared or sent (with its
// tries), errors, and the outcome with the exit status. The README lists
// the fields.

#include <cstdint>
#include <cstdio>

#include "device/device_list.h"
#include "firmware/firmware_package.h"

namespace terminal {

// The version of the objects' layout: raised when a field changes meaning
// or goes away (new fields and objects leave it as it is).
constexpr int kJsonSchemaVersion = 2;

class JsonReport {
public:
    // `out` takes the lines.
    explicit JsonReport(std::FILE* out) : out_(out) {}

    void Start(const char* action);
    // A drive: its name, INQUIRY strings and, when probed, whether it is a
    // DVD-ROM-only drive (`dvdRomOnly` < 0: not probed or unknown).
    void Drive(const char* name, const DeviceRecord& record, int dvdRomOnly);
    void Package(const FirmwarePackage& package);
    void Check(const char* name, bool passed, const char* text);
    // The backup: its file, or null when none was written (with why).
    void Backup(const char* file, const char* why);
    void BlockCompared(int number, bool same);
    void Error(const char* subject, const char* message);
    // One block of a download: accepted at try `tries`, or refused at
    // every one of its `tries`.
    void Block(int number, int tries, bool accepted);
    // The last object: how the run ended (its name), its exit status, and
    // the last status text shown (none: left out).
    void Outcome(const char* end, int exitStatus, const char* result, const char* status);

private:
    std::FILE* out_;
};

}  // namespace terminal
