#include "shipped_program_check.h"

#include <cctype>
#include <cstdio>
#include <sstream>

namespace pe {
namespace {

bool SameDll(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string ImportName(const Import& import) {
    return import.dll + "!" + (import.byOrdinal ? "#" + std::to_string(import.ordinal) : import.function);
}

bool Allowed(const Import& import, const std::vector<AllowedImport>& allowed) {
    const std::string function = import.byOrdinal ? "#" + std::to_string(import.ordinal) : import.function;
    for (const AllowedImport& entry : allowed) {
        if (SameDll(entry.dll, import.dll) && entry.function == function) return true;
    }
    return false;
}

std::string Version(std::uint16_t major, std::uint16_t minor) {
    return std::to_string(major) + "." + std::to_string(minor);
}

bool Above(std::uint16_t major, std::uint16_t minor, const ShippedProgramRules& rules) {
    return major > rules.maxMajor || (major == rules.maxMajor && minor > rules.maxMinor);
}

std::string Hex(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

}  // namespace

bool ParseAllowlist(const std::string& text, std::vector<AllowedImport>& entries, std::string& problem) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        AllowedImport entry;
        if (!(words >> entry.dll) || entry.dll[0] == '#') continue;
        words >> entry.function;
        std::getline(words >> std::ws, entry.source);
        while (!entry.source.empty() && std::isspace(static_cast<unsigned char>(entry.source.back())))
            entry.source.pop_back();
        if (entry.function.empty() || entry.source.empty()) {
            problem = "line " + std::to_string(number) + ": expected DLL FUNCTION SOURCE";
            return false;
        }
        entries.push_back(entry);
    }
    return true;
}

std::vector<std::string> CheckShippedProgram(const Image& image, const ShippedProgramRules& rules) {
    std::vector<std::string> findings;
    if (image.machine != rules.machine)
        findings.push_back("machine type " + Hex(image.machine) + ", expected " + Hex(rules.machine));
    const std::string limit = Version(rules.maxMajor, rules.maxMinor);
    if (Above(image.osMajor, image.osMinor, rules))
        findings.push_back("OS version " + Version(image.osMajor, image.osMinor) + " above " + limit);
    if (Above(image.subsystemMajor, image.subsystemMinor, rules))
        findings.push_back("subsystem version " + Version(image.subsystemMajor, image.subsystemMinor) + " above " + limit);
    for (const std::string& section : image.sections) {
        if (section.rfind(".debug", 0) == 0 || section.rfind(".zdebug", 0) == 0)
            findings.push_back("debug section " + section);
    }
    if (image.hasDebugDirectory) findings.push_back("debug directory present");
    for (const Import& import : image.imports) {
        if (!Allowed(import, rules.allowed)) findings.push_back("import not on the allowlist: " + ImportName(import));
    }
    return findings;
}

}  // namespace pe
