#pragma once
// A small reader of Windows program files (the published PE/COFF layout):
// the header fields that say which processor and which Windows a program is
// for, its section names, and its import table (each DLL and each function,
// by name or by ordinal). Portable; it reads a file's bytes and never runs
// or maps it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pe {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kMachineAmd64 = 0x8664;

struct Import {
    std::string dll;
    std::string function;  // empty when imported by ordinal
    bool byOrdinal = false;
    std::uint16_t ordinal = 0;  // set when byOrdinal
};

struct Image {
    std::uint16_t machine = 0;
    bool is64 = false;  // PE32+ optional header
    std::uint16_t osMajor = 0, osMinor = 0;
    std::uint16_t subsystemMajor = 0, subsystemMinor = 0;
    std::uint16_t subsystem = 0;
    // Section names with long names (the "/N" form) resolved through the
    // COFF string table.
    std::vector<std::string> sections;
    // The debug data directory (CodeView and the like) is present.
    bool hasDebugDirectory = false;
    std::vector<Import> imports;
};

// Reads the headers, sections and imports of the program in `bytes`. On a
// file that is not a well-formed PE program (too short, a field pointing
// outside the file, an unterminated name) returns false and says why in
// `problem`; never reads outside `bytes`.
bool ReadImage(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& problem);

}  // namespace pe
