#pragma once
// ktxflash --json: what a run finds and does, as JSON Lines on standard
// output (text for people goes to standard error). The first object names
// the schema version and the action; then, as they happen, the drives, the
// package, each check, the backup, each block compared or sent (with its
// tries), errors, and the outcome with the exit status (the README lists
// the fields). Each object is one line, written whole, in plain ASCII:
// quotes, backslashes, control characters and every byte above 0x7F are
// escaped as \uXXXX (0xE9 as \u00E9: the tool reports bytes, not text).

#include <cstdint>
#include <cstdio>

#include "device/device_list.h"
#include "firmware/firmware_package.h"
#include "platform/fixed_text.h"

namespace terminal {

// The version of the objects' layout: raised when a field changes meaning
// or goes away (new fields and objects leave it as it is).
constexpr int kJsonSchemaVersion = 2;

// Room for one object: an error whose message and path are escaped whole.
using JsonText = FixedText<8192>;

// `bytes` (`length` of them) as a JSON string, quotes included.
void AppendJsonString(TextBuffer& out, const char* bytes, std::size_t length);

// One object, started with its "type".
class JsonLine {
public:
    explicit JsonLine(const char* type);
    JsonLine& Text(const char* name, const char* value);
    JsonLine& Text(const char* name, const char* value, std::size_t length);
    JsonLine& Number(const char* name, long value);
    JsonLine& Flag(const char* name, bool value);
    JsonLine& Null(const char* name);
    // Ends the object and writes it, with its line end, to `out`.
    void WriteTo(std::FILE* out);

private:
    // The text, ready for the value of `name`.
    JsonText& Name(const char* name);
    JsonText text_;
};

class JsonReport {
public:
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
