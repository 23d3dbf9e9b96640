#include "pe_image.h"

#include <cstring>

namespace pe {
namespace {

constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kSymbolSize = 18;
constexpr std::uint32_t kImportDirectory = 1;
constexpr std::uint32_t kDebugDirectory = 6;
// Guards against a looping or absurd table in a damaged file.
constexpr std::size_t kMostImportsPerDll = 65536;

// Bounds-checked little-endian reads over the file's bytes.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(data_[offset] | data_[offset + 1] << 8);
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(U16(offset)) | static_cast<std::uint32_t>(U16(offset + 2)) << 16;
    }
    std::uint64_t U64(std::size_t offset) const {
        return static_cast<std::uint64_t>(U32(offset)) | static_cast<std::uint64_t>(U32(offset + 4)) << 32;
    }
    // A zero-terminated text starting at `offset`; false when it runs off the end.
    bool Text(std::size_t offset, std::size_t most, std::string& text) const {
        text.clear();
        for (std::size_t i = offset; i < size_ && i - offset < most; ++i) {
            if (data_[i] == 0) return true;
            text.push_back(static_cast<char>(data_[i]));
        }
        return false;
    }
    const std::uint8_t* At(std::size_t offset) const { return data_ + offset; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawOffset;
    std::uint32_t rawSize;
};

class Reader {
public:
    Reader(const Bytes& bytes, Image& image, std::string& problem) : bytes_(bytes), image_(image), problem_(problem) {}

    bool Read() {
        if (!bytes_.Has(0, 0x40) || bytes_.U16(0) != 0x5A4D) return Fail("no MZ header");
        const std::uint32_t peOffset = bytes_.U32(0x3C);
        if (!bytes_.Has(peOffset, 4 + kCoffHeaderSize) || std::memcmp(bytes_.At(peOffset), "PE\0\0", 4) != 0)
            return Fail("no PE signature");
        const std::size_t coff = peOffset + 4;
        image_.machine = bytes_.U16(coff);
        const std::uint16_t sectionCount = bytes_.U16(coff + 2);
        const std::uint32_t symbolTable = bytes_.U32(coff + 8);
        const std::uint32_t symbolCount = bytes_.U32(coff + 12);
        const std::uint16_t optionalSize = bytes_.U16(coff + 16);
        const std::size_t optional = coff + kCoffHeaderSize;
        if (optionalSize < 2 || !bytes_.Has(optional, optionalSize)) return Fail("optional header outside the file");
        if (!ReadOptionalHeader(optional, optionalSize)) return false;
        const std::uint64_t stringTable = static_cast<std::uint64_t>(symbolTable) + std::uint64_t{symbolCount} * kSymbolSize;
        if (!ReadSections(optional + optionalSize, sectionCount, symbolTable != 0 ? stringTable : 0)) return false;
        if (importDirectory_ != 0 && !ReadImports()) return false;
        return true;
    }

private:
    bool Fail(const char* what) {
        problem_ = what;
        return false;
    }

    bool ReadOptionalHeader(std::size_t at, std::uint16_t size) {
        const std::uint16_t magic = bytes_.U16(at);
        if (magic != 0x10B && magic != 0x20B) return Fail("unknown optional header magic");
        image_.is64 = magic == 0x20B;
        const std::size_t directoryCountAt = image_.is64 ? 108 : 92;
        if (size < directoryCountAt + 4) return Fail("optional header too short");
        image_.osMajor = bytes_.U16(at + 40);
        image_.osMinor = bytes_.U16(at + 42);
        image_.subsystemMajor = bytes_.U16(at + 48);
        image_.subsystemMinor = bytes_.U16(at + 50);
        image_.subsystem = bytes_.U16(at + 68);
        const std::uint32_t directoryCount = bytes_.U32(at + directoryCountAt);
        const std::size_t directories = at + directoryCountAt + 4;
        auto directory = [&](std::uint32_t index, std::uint32_t& rva, std::uint32_t& length) {
            rva = length = 0;
            const std::size_t entry = directories + std::size_t{index} * 8;
            if (index >= directoryCount || entry + 8 > at + size) return;
            rva = bytes_.U32(entry);
            length = bytes_.U32(entry + 4);
        };
        std::uint32_t importLength = 0, debugRva = 0, debugLength = 0;
        directory(kImportDirectory, importDirectory_, importLength);
        directory(kDebugDirectory, debugRva, debugLength);
        image_.hasDebugDirectory = debugRva != 0 && debugLength != 0;
        return true;
    }

    bool ReadSections(std::size_t at, std::uint16_t count, std::uint64_t stringTable) {
        if (!bytes_.Has(at, std::uint64_t{count} * kSectionHeaderSize)) return Fail("section table outside the file");
        for (std::uint16_t i = 0; i < count; ++i) {
            const std::size_t header = at + std::size_t{i} * kSectionHeaderSize;
            std::string name(reinterpret_cast<const char*>(bytes_.At(header)), 8);
            name.resize(std::strlen(name.c_str()));
            if (name.size() > 1 && name[0] == '/' && !ResolveLongName(name, stringTable)) return false;
            image_.sections.push_back(name);
            sections_.push_back(Section{bytes_.U32(header + 12), bytes_.U32(header + 8), bytes_.U32(header + 20),
                                        bytes_.U32(header + 16)});
        }
        return true;
    }

    // "/123" names the text at offset 123 of the COFF string table.
    bool ResolveLongName(std::string& name, std::uint64_t stringTable) {
        std::uint64_t offset = 0;
        for (std::size_t i = 1; i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9') return Fail("malformed long section name");
            offset = offset * 10 + static_cast<std::uint64_t>(name[i] - '0');
        }
        if (stringTable == 0 || !bytes_.Has(stringTable + offset, 1)) return Fail("long section name outside the file");
        if (!bytes_.Text(static_cast<std::size_t>(stringTable + offset), 256, name))
            return Fail("unterminated long section name");
        return true;
    }

    // The file offset of `length` bytes at `rva`, inside one section's raw data.
    bool Locate(std::uint64_t rva, std::uint64_t length, std::size_t& offset) const {
        for (const Section& s : sections_) {
            if (rva < s.virtualAddress) continue;
            const std::uint64_t into = rva - s.virtualAddress;
            if (into + length > s.rawSize) continue;
            offset = static_cast<std::size_t>(s.rawOffset + into);
            return bytes_.Has(offset, length);
        }
        return false;
    }

    bool LocateText(std::uint64_t rva, std::string& text) {
        std::size_t offset = 0;
        if (!Locate(rva, 1, offset)) return Fail("import name outside the file");
        if (!bytes_.Text(offset, 4096, text)) return Fail("unterminated import name");
        return true;
    }

    bool ReadImports() {
        for (std::uint64_t descriptorRva = importDirectory_;; descriptorRva += kImportDescriptorSize) {
            std::size_t descriptor = 0;
            if (!Locate(descriptorRva, kImportDescriptorSize, descriptor)) return Fail("import table outside the file");
            const std::uint32_t lookup = bytes_.U32(descriptor);
            const std::uint32_t nameRva = bytes_.U32(descriptor + 12);
            const std::uint32_t addresses = bytes_.U32(descriptor + 16);
            if (nameRva == 0 && lookup == 0 && addresses == 0) return true;
            std::string dll;
            if (!LocateText(nameRva, dll)) return false;
            // Some linkers leave the lookup table out; the address table
            // then holds the same entries in the file.
            if (!ReadThunks(dll, lookup != 0 ? lookup : addresses)) return false;
        }
    }

    bool ReadThunks(const std::string& dll, std::uint64_t thunkRva) {
        const std::size_t width = image_.is64 ? 8 : 4;
        const std::uint64_t ordinalFlag = image_.is64 ? 0x8000000000000000ull : 0x80000000ull;
        for (std::size_t n = 0; n < kMostImportsPerDll; ++n, thunkRva += width) {
            std::size_t thunk = 0;
            if (!Locate(thunkRva, width, thunk)) return Fail("import lookup table outside the file");
            const std::uint64_t value = image_.is64 ? bytes_.U64(thunk) : bytes_.U32(thunk);
            if (value == 0) return true;
            Import import;
            import.dll = dll;
            if (value & ordinalFlag) {
                import.byOrdinal = true;
                import.ordinal = static_cast<std::uint16_t>(value & 0xFFFF);
            } else if (!LocateText((value & 0x7FFFFFFF) + 2, import.function)) {  // after the 2-byte hint
                return false;
            }
            image_.imports.push_back(import);
        }
        return Fail("import lookup table without an end");
    }

    const Bytes& bytes_;
    Image& image_;
    std::string& problem_;
    std::vector<Section> sections_;
    std::uint32_t importDirectory_ = 0;
};

}  // namespace

bool ReadImage(const std::uint8_t* bytes, std::size_t size, Image& image, std::string& problem) {
    image = Image{};
    const Bytes view(bytes, size);
    return Reader(view, image, problem).Read();
}

}  // namespace pe
