// The PE reader of ktxpecheck over arbitrary bytes: it must never read
// outside them, must give a reason for every refusal, and whatever it reads
// must be a consistent list of imports that the shipped-program check can
// judge.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "pe_image.h"
#include "shipped_program_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pe::Image image;
    std::string problem;
    if (!pe::ReadImage(data, size, image, problem)) {
        FUZZ_CHECK(!problem.empty());
        return 0;
    }
    for (const pe::Import& import : image.imports) {
        FUZZ_CHECK(import.byOrdinal ? import.function.empty() : true);
    }
    pe::ShippedProgramRules rules;
    rules.allowed = {{"KERNEL32.dll", "HeapAlloc", "seed"}};
    const std::size_t findings = pe::CheckShippedProgram(image, rules).size();
    // Each import off the list is one finding.
    std::size_t offList = 0;
    for (const pe::Import& import : image.imports) offList += import.byOrdinal || import.function != "HeapAlloc";
    FUZZ_CHECK(findings >= offList);
    return 0;
}
