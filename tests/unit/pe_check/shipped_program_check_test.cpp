// The rules a shipped program is checked against, and the allowlist file
// they come from.

#include <gtest/gtest.h>

#include "pe_image.h"
#include "shipped_program_check.h"

namespace {

pe::Image GoodProgram() {
    pe::Image image;
    image.machine = pe::kMachineI386;
    image.osMajor = image.subsystemMajor = 4;
    image.sections = {".text", ".data", ".idata"};
    image.imports = {{"KERNEL32.dll", "HeapAlloc", false, 0}, {"COMCTL32.DLL", "", true, 17}};
    return image;
}

pe::ShippedProgramRules Windows95Rules() {
    pe::ShippedProgramRules rules;
    rules.machine = pe::kMachineI386;
    rules.maxMajor = 4;
    rules.maxMinor = 0;
    // DLL names compare without regard to case, as the loader does.
    rules.allowed = {{"kernel32.dll", "HeapAlloc", "doc"}, {"comctl32.dll", "#17", "doc"}};
    return rules;
}

TEST(ShippedProgramCheck, AProgramKeepingEveryRuleHasNoFindings) {
    EXPECT_TRUE(pe::CheckShippedProgram(GoodProgram(), Windows95Rules()).empty());
}

TEST(ShippedProgramCheck, ReportsEachBrokenRule) {
    pe::Image image = GoodProgram();
    image.machine = pe::kMachineAmd64;
    image.osMinor = 1;            // 4.1: above 4.0 by the minor version alone
    image.subsystemMajor = 6;     // 6.0
    image.sections.push_back(".debug_info");
    image.hasDebugDirectory = true;
    image.imports.push_back({"KERNEL32.dll", "GetTickCount64", false, 0});
    image.imports.push_back({"KERNEL32.dll", "heapalloc", false, 0});  // function names keep their case
    image.imports.push_back({"COMCTL32.DLL", "", true, 18});
    image.imports.push_back({"USER32.dll", "HeapAlloc", false, 0});   // allowed from another DLL only
    EXPECT_EQ(pe::CheckShippedProgram(image, Windows95Rules()),
              (std::vector<std::string>{
                  "machine type 0x8664, expected 0x014C",
                  "OS version 4.1 above 4.0",
                  "subsystem version 6.0 above 4.0",
                  "debug section .debug_info",
                  "debug directory present",
                  "import not on the allowlist: KERNEL32.dll!GetTickCount64",
                  "import not on the allowlist: KERNEL32.dll!heapalloc",
                  "import not on the allowlist: COMCTL32.DLL!#18",
                  "import not on the allowlist: USER32.dll!HeapAlloc",
              }));
}

TEST(ShippedProgramCheck, VersionsUpToTheLimitPass) {
    pe::Image image = GoodProgram();
    image.machine = pe::kMachineAmd64;
    image.osMajor = image.subsystemMajor = 5;
    image.osMinor = image.subsystemMinor = 2;
    pe::ShippedProgramRules rules = Windows95Rules();
    rules.machine = pe::kMachineAmd64;
    rules.maxMajor = 5;
    rules.maxMinor = 2;
    EXPECT_TRUE(pe::CheckShippedProgram(image, rules).empty());
    image.osMajor = 6;
    image.osMinor = 0;
    EXPECT_EQ(pe::CheckShippedProgram(image, rules), std::vector<std::string>{"OS version 6.0 above 5.2"});
}

TEST(Allowlist, ReadsEntriesWithTheirSourcesAndSkipsComments) {
    std::vector<pe::AllowedImport> entries;
    std::string problem;
    ASSERT_TRUE(pe::ParseAllowlist("# comment\n\n  KERNEL32.dll  HeapAlloc   Win32 SDK, page 7  \r\n"
                                   "COMCTL32.dll #17 ordinal list\n",
                                   entries, problem))
        << problem;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].dll, "KERNEL32.dll");
    EXPECT_EQ(entries[0].function, "HeapAlloc");
    EXPECT_EQ(entries[0].source, "Win32 SDK, page 7");
    EXPECT_EQ(entries[1].function, "#17");
}

TEST(Allowlist, RefusesAnEntryWithoutASourceNamingItsLine) {
    std::vector<pe::AllowedImport> entries;
    std::string problem;
    EXPECT_FALSE(pe::ParseAllowlist("KERNEL32.dll HeapAlloc doc\n# note\nKERNEL32.dll HeapFree\n", entries, problem));
    EXPECT_EQ(problem, "line 3: expected DLL FUNCTION SOURCE");
    EXPECT_FALSE(pe::ParseAllowlist("KERNEL32.dll\n", entries, problem));
    EXPECT_EQ(problem, "line 1: expected DLL FUNCTION SOURCE");
}

}  // namespace
