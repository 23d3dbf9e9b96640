#pragma once
// ktxflash --json: what a run finds and does, as JSON Lines on standard
// output (text for people goes to standard error). The first object names
// the schema version and the action; then, as they happen, the drives, the
// package, each check, the backup, each block compared or sent (with its
// tries), errors, and the outcome with the exit status. The README lists
// the fields.

#include <cstdint>
#include <cstdio>

#include "device/command_report.h"
#include "device/device_record.h"
#include "firmware/firmware_package.h"

namespace terminal {

// The version of the objects' layout: raised when a field changes meaning
// or goes away (new fields and objects leave it as it is).
constexpr int kJsonSchemaVersion = 1;

class JsonReport : public CommandObserver {
public:
    // `out` takes the lines; `next` (may be null) sees every command too.
    JsonReport(std::FILE* out, CommandObserver* next) : out_(out), next_(next) {}

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
    void Outcome(int exitStatus, const char* result, const char* status);

    // Passed on to `next`.
    void CommandStarts(const CommandReport& report) override;
    // Counts each block's tries from the vendor download commands sent.
    void CommandEnded(const CommandReport& report) override;
    // Writes the block whose tries were counted last and did not end in an
    // accepted try (a block that failed all of them).
    void FlushBlock();

private:
    std::FILE* out_;
    CommandObserver* next_;
    int block_ = 0;  // the block whose tries are being counted; 0 none
    int tries_ = 0;
};

}  // namespace terminal
