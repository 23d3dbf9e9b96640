#pragma once
// Scratch files for the ktxcombine tests: a fresh directory per test, and
// program files with package areas placed where a test wants them.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> Read(const std::string& name) const;
    // Names of all entries, sorted: shows leftover temporary files.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path root_;
};

// Bytes before and after the package area(s), standing in for code and data.
inline constexpr std::size_t kLeadingBytes = 4099;
inline constexpr std::size_t kTrailingBytes = 777;

// A program file with `areas` template package areas (anchor, marker, zeros).
std::vector<std::uint8_t> TemplateProgram(int areas = 1);
// File offset of the first package block in TemplateProgram().
std::size_t FirstPackageOffset();
