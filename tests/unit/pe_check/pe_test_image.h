#pragma once
// Builds small Windows program files in memory, laid out as the published
// PE format describes, for the reader's tests: chosen machine, header
// versions, sections (long names through the COFF string table) and an
// import table.

#include <cstdint>
#include <string>
#include <vector>

struct TestImport {
    std::string dll;
    std::vector<std::string> functions;  // "#N" imports ordinal N
};

struct TestImageSpec {
    bool is64 = false;
    std::uint16_t machine = 0x014C;
    std::uint16_t osMajor = 4, osMinor = 0;
    std::uint16_t subsystemMajor = 4, subsystemMinor = 0;
    std::vector<TestImport> imports;
    // Extra section names; one longer than 8 characters is stored as "/N".
    std::vector<std::string> extraSections;
    bool debugDirectory = false;
};

std::vector<std::uint8_t> BuildTestImage(const TestImageSpec& spec);

// Offsets in a built image, for tests that damage it.
struct TestImageLayout {
    std::size_t importSection;  // file offset of the import section's data
    std::size_t sectionTable;
};
TestImageLayout LayoutOf(const TestImageSpec& spec);
