#include "pe_test_image.h"

#include <cstring>

namespace {

constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kImportRva = 0x1000;
constexpr std::uint32_t kImportFileOffset = 0x400;

void Put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
void Put64(std::vector<std::uint8_t>& b, std::size_t at, std::uint64_t v) {
    Put32(b, at, static_cast<std::uint32_t>(v));
    Put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}

std::size_t OptionalHeaderSize(bool is64) { return is64 ? 240 : 224; }

std::size_t SectionTableAt(const TestImageSpec& spec) {
    return kPeOffset + 4 + 20 + OptionalHeaderSize(spec.is64);
}

// The import section: descriptors, then each DLL's lookup table, then the
// DLL names and hint/name entries.
std::vector<std::uint8_t> ImportSection(const TestImageSpec& spec) {
    const std::size_t width = spec.is64 ? 8 : 4;
    std::size_t size = (spec.imports.size() + 1) * 20;
    std::vector<std::size_t> tableAt;
    for (const TestImport& dll : spec.imports) {
        tableAt.push_back(size);
        size += (dll.functions.size() + 1) * width;
    }
    std::vector<std::uint8_t> data(size);
    auto append = [&](const std::string& text, bool hint) {
        const std::size_t at = data.size();
        if (hint) data.insert(data.end(), {0, 0});
        data.insert(data.end(), text.begin(), text.end());
        data.push_back(0);
        if (data.size() % 2) data.push_back(0);
        return static_cast<std::uint32_t>(kImportRva + at);
    };
    for (std::size_t d = 0; d < spec.imports.size(); ++d) {
        const TestImport& dll = spec.imports[d];
        const std::size_t descriptor = d * 20;
        const std::uint32_t table = static_cast<std::uint32_t>(kImportRva + tableAt[d]);
        Put32(data, descriptor, table);
        Put32(data, descriptor + 12, append(dll.dll, false));
        Put32(data, descriptor + 16, table);
        for (std::size_t f = 0; f < dll.functions.size(); ++f) {
            const std::string& function = dll.functions[f];
            std::uint64_t value;
            if (function[0] == '#') {
                value = std::stoul(function.substr(1)) | (spec.is64 ? 0x8000000000000000ull : 0x80000000ull);
            } else {
                value = append(function, true);
            }
            const std::size_t thunk = tableAt[d] + f * width;
            if (spec.is64) Put64(data, thunk, value);
            else Put32(data, thunk, static_cast<std::uint32_t>(value));
        }
    }
    return data;
}

}  // namespace

TestImageLayout LayoutOf(const TestImageSpec& spec) { return TestImageLayout{kImportFileOffset, SectionTableAt(spec)}; }

std::vector<std::uint8_t> BuildTestImage(const TestImageSpec& spec) {
    const std::vector<std::uint8_t> imports = ImportSection(spec);
    const std::uint32_t importRawSize = static_cast<std::uint32_t>((imports.size() + 0x1FF) & ~0x1FFu);
    const std::size_t sectionCount = 1 + spec.extraSections.size();
    const std::size_t stringTableAt = kImportFileOffset + importRawSize;

    std::vector<std::uint8_t> b(stringTableAt);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, kPeOffset);
    std::memcpy(&b[kPeOffset], "PE\0\0", 4);
    const std::size_t coff = kPeOffset + 4;
    Put16(b, coff, spec.machine);
    Put16(b, coff + 2, static_cast<std::uint32_t>(sectionCount));
    Put16(b, coff + 16, static_cast<std::uint32_t>(OptionalHeaderSize(spec.is64)));
    const std::size_t opt = coff + 20;
    Put16(b, opt, spec.is64 ? 0x20B : 0x10B);
    Put16(b, opt + 40, spec.osMajor);
    Put16(b, opt + 42, spec.osMinor);
    Put16(b, opt + 48, spec.subsystemMajor);
    Put16(b, opt + 50, spec.subsystemMinor);
    Put16(b, opt + 68, 2);
    const std::size_t countAt = opt + (spec.is64 ? 108 : 92);
    Put32(b, countAt, 16);
    const std::size_t directories = countAt + 4;
    if (!spec.imports.empty()) {
        Put32(b, directories + 8, kImportRva);
        Put32(b, directories + 12, static_cast<std::uint32_t>(imports.size()));
    }
    if (spec.debugDirectory) {
        Put32(b, directories + 6 * 8, kImportRva);
        Put32(b, directories + 6 * 8 + 4, 28);
    }

    const std::size_t table = SectionTableAt(spec);
    std::memcpy(&b[table], ".idata", 6);
    Put32(b, table + 8, static_cast<std::uint32_t>(imports.size()));
    Put32(b, table + 12, kImportRva);
    Put32(b, table + 16, importRawSize);
    Put32(b, table + 20, kImportFileOffset);
    std::memcpy(&b[kImportFileOffset], imports.data(), imports.size());

    std::vector<std::uint8_t> strings(4);
    for (std::size_t i = 0; i < spec.extraSections.size(); ++i) {
        const std::string& name = spec.extraSections[i];
        const std::size_t header = table + (i + 1) * 40;
        if (name.size() <= 8) {
            std::memcpy(&b[header], name.data(), name.size());
        } else {
            const std::string slash = "/" + std::to_string(strings.size());
            std::memcpy(&b[header], slash.data(), slash.size());
            strings.insert(strings.end(), name.begin(), name.end());
            strings.push_back(0);
        }
    }
    if (strings.size() > 4) {
        Put32(b, coff + 8, static_cast<std::uint32_t>(stringTableAt));
        Put32(strings, 0, static_cast<std::uint32_t>(strings.size()));
        b.insert(b.end(), strings.begin(), strings.end());
    }
    return b;
}
