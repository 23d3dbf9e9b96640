// ktxpecheck: checks shipped Windows programs against the rules for the
// oldest Windows they are for.
//   ktxpecheck --machine i386|amd64 --max-version MAJOR.MINOR
//              --allowlist FILE [--list] PROGRAM...
//   ktxpecheck --version
// Prints each program's header versions and, with --list, its imports; then
// every finding. Exit status 0 when every program keeps the rules, 1 when one
// does not, 2 on a usage error or an unreadable file.

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ktx_release_version.h"
#include "pe_image.h"
#include "shipped_program_check.h"

namespace {

bool ReadFile(const std::string& path, std::string& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

int Usage(const std::string& why) {
    std::cerr << "ktxpecheck: " << why << "\n"
              << "usage: ktxpecheck --machine i386|amd64 --max-version MAJOR.MINOR --allowlist FILE [--list] PROGRAM...\n"
              << "       ktxpecheck --version\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    pe::ShippedProgramRules rules;
    std::string allowlistPath;
    bool list = false;
    bool haveMachine = false, haveVersion = false;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--version") {
            std::cout << "ktxpecheck " KTX_RELEASE_VERSION "\n";
            return 0;
        }
        if (arg == "--machine" && hasValue) {
            const std::string machine = argv[++i];
            if (machine == "i386") rules.machine = pe::kMachineI386;
            else if (machine == "amd64") rules.machine = pe::kMachineAmd64;
            else return Usage("unknown machine " + machine);
            haveMachine = true;
        } else if (arg == "--max-version" && hasValue) {
            unsigned major = 0, minor = 0;
            char end = 0;
            if (std::sscanf(argv[++i], "%u.%u%c", &major, &minor, &end) != 2 || major > 0xFFFF || minor > 0xFFFF)
                return Usage(std::string("bad version ") + argv[i]);
            rules.maxMajor = static_cast<std::uint16_t>(major);
            rules.maxMinor = static_cast<std::uint16_t>(minor);
            haveVersion = true;
        } else if (arg == "--allowlist" && hasValue) {
            allowlistPath = argv[++i];
        } else if (arg == "--list") {
            list = true;
        } else if (!arg.empty() && arg[0] != '-') {
            programs.push_back(arg);
        } else {
            return Usage("unknown option " + arg);
        }
    }
    if (!haveMachine || !haveVersion || allowlistPath.empty() || programs.empty())
        return Usage("--machine, --max-version, --allowlist and a program are needed");

    std::string text, problem;
    if (!ReadFile(allowlistPath, text)) return Usage("cannot read " + allowlistPath);
    if (!pe::ParseAllowlist(text, rules.allowed, problem)) {
        std::cerr << allowlistPath << ": " << problem << "\n";
        return 2;
    }

    int status = 0;
    for (const std::string& path : programs) {
        std::string bytes;
        pe::Image image;
        if (!ReadFile(path, bytes)) {
            std::cerr << path << ": cannot read\n";
            return 2;
        }
        if (!pe::ReadImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image, problem)) {
            std::cerr << path << ": not a readable PE program: " << problem << "\n";
            return 2;
        }
        std::cout << path << ": " << bytes.size() << " bytes, OS " << image.osMajor << "." << image.osMinor
                  << ", subsystem " << image.subsystemMajor << "." << image.subsystemMinor << ", "
                  << image.imports.size() << " imports\n";
        if (list) {
            for (const pe::Import& import : image.imports) {
                std::cout << "  " << import.dll << " "
                          << (import.byOrdinal ? "#" + std::to_string(import.ordinal) : import.function) << "\n";
            }
        }
        const std::vector<std::string> findings = pe::CheckShippedProgram(image, rules);
        for (const std::string& finding : findings) std::cout << "  FAIL " << finding << "\n";
        if (!findings.empty()) status = 1;
    }
    return status;
}
