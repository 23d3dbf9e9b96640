// ktxcombine end to end, in process: a template program spliced together
// from fuzzed bytes around the real package anchor (none, one, or several
// anchors; with or without the template marker; whole or cut short), a
// firmware image of fuzzed size and content (perhaps carrying the anchor),
// fuzzed --revision and --mask values, and the image's published check
// (right or wrong --sum, --sha256, or --unchecked-image); then --info on
// what came out.
//
// The tool must refuse or succeed, never crash, and decide exactly as an
// independent model of the rules does. On success the output is the template
// with exactly one package area filled in (header and image, byte for byte);
// on refusal the output does not exist and the template is unchanged.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "command_line.h"

#include "fuzz_support.h"

#include "fuzz_work_folder.h"

#include "package_info.h"

#include "firmware/firmware_package.h"
#include "firmware/published_check.h"

namespace {

namespace fs = std::filesystem;
using namespace package_layout;
using Bytes = std::vector<std::uint8_t>;

const fs::path& WorkFolder() {
    static const fs::path folder = MakeWorkFolder("ktx_fuzz_combine");
    return folder;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    FUZZ_CHECK(in.is_open());
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(in.good() || bytes.empty());
    return bytes;
}

// Every position where the anchor starts: each of its first byte, compared on.
FUZZ_UNTRACED std::vector<std::size_t> AnchorPositions(const Bytes& bytes) {
    constexpr auto anchor = Anchor();
    std::vector<std::size_t> positions;
    if (bytes.size() < kAnchorSize) return positions;
    const std::uint8_t* const begin = bytes.data();
    const std::uint8_t* const last = begin + bytes.size() - kAnchorSize;  // the last place it can start
    for (const std::uint8_t* at = begin; at <= last; ++at) {
        at = static_cast<const std::uint8_t*>(std::memchr(at, anchor[0], static_cast<std::size_t>(last - at) + 1));
        if (at == nullptr) break;
        if (std::memcmp(at, anchor.data(), kAnchorSize) == 0) positions.push_back(static_cast<std::size_t>(at - begin));
    }
    return positions;
}

void InsertAnchor(Bytes& bytes, std::size_t at) {
    constexpr auto anchor = Anchor();
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at, bytes.size())), anchor.begin(), anchor.end());
}

FUZZ_UNTRACED Bytes Repeated(const Bytes& pattern, std::size_t size) {
    Bytes bytes(size, 0);
    if (!pattern.empty())
        for (std::size_t i = 0; i < size; ++i) bytes[i] = pattern[i % pattern.size()];
    return bytes;
}

FUZZ_UNTRACED unsigned ByteSum(const Bytes& bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) sum += b;
    return sum;
}

// --mask: decimal digits, or 0x/0X and hex digits; 0..255; then only bits
// of the tag's own characters (bit 3 the first ... bit 0 the fourth).
bool ModelMask(const std::string& text, unsigned& mask) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    const std::string allowed = hex ? "0123456789abcdefABCDEF" : "0123456789";
    if (digits.empty() || digits.find_first_not_of(allowed) != std::string::npos) return false;
    const std::string significant = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
    if (significant.size() > 3) return false;
    const unsigned long value = significant.empty() ? 0 : std::stoul(significant, nullptr, hex ? 16 : 10);
    if (value > 0xFF) return false;
    mask = static_cast<unsigned>(value);
    return true;
}

bool ModelMaskFitsTag(unsigned mask, const std::string& tag) {
    unsigned tagBits = 0;
    for (std::size_t i = 0; i < tag.size() && i < 4; ++i) tagBits |= 0x08u >> i;
    return (mask & ~tagBits) == 0;
}

// A header as the combine step writes it: zero bytes at 4, 9..15 and
// 17..31, hexadecimal digits at 5..8.
bool ModelHeaderShape(const std::uint8_t* header) {
    for (std::size_t i = 4; i < kHeaderSize; ++i) {
        const bool digit = std::isxdigit(header[i]) != 0;
        if (i >= 5 && i <= 8 ? !digit : i != 16 && header[i] != 0) return false;
    }
    return true;
}

bool ModelTag(const std::string& tag) {
    return tag.size() <= 4 && std::all_of(tag.begin(), tag.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

// The file a successful combine writes, or false when it must refuse.
bool ModelCombine(const Bytes& program, const Bytes& image, const std::string& tag, const std::string& maskText,
                  bool checkMatches, Bytes& combined) {
    unsigned mask = 0;
    if (!ModelTag(tag) || !ModelMask(maskText, mask) || !ModelMaskFitsTag(mask, tag)) return false;
    const std::vector<std::size_t> anchors = AnchorPositions(program);
    if (anchors.size() != 1) return false;
    const std::size_t area = anchors[0] + kAnchorSize;
    if (program.size() - area < kPackageSize) return false;
    if (!std::equal(program.begin() + static_cast<std::ptrdiff_t>(area),
                    program.begin() + static_cast<std::ptrdiff_t>(area + 15), "INSERT_FIRMWARE"))
        return false;
    if (image.size() != kImageSize || !checkMatches) return false;

    const unsigned sum = ByteSum(image);
    const char* digits = "0123456789ABCDEF";
    Bytes header(kHeaderSize, 0);
    std::copy(tag.begin(), tag.end(), header.begin());
    for (int i = 0; i < 4; ++i) header[5 + static_cast<std::size_t>(i)] = digits[(sum >> (12 - 4 * i)) & 0xF];
    header[16] = static_cast<std::uint8_t>(mask);

    combined = program;
    std::copy(header.begin(), header.end(), combined.begin() + static_cast<std::ptrdiff_t>(area));
    std::copy(image.begin(), image.end(), combined.begin() + static_cast<std::ptrdiff_t>(area + kHeaderSize));
    // An image holding the anchor would leave no single package area.
    return AnchorPositions(combined).size() == 1;
}

Bytes MakeTemplate(FuzzedDataProvider& input) {
    Bytes program = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 48));
    // Mostly one anchor; sometimes none or several.
    const int anchorChoice = input.ConsumeIntegralInRange(0, 7);
    const int anchors = anchorChoice == 0 ? 0 : anchorChoice < 6 ? 1 : anchorChoice - 4;
    if (anchors > 0) InsertAnchor(program, program.size());

    Bytes area(kPackageSize, input.ConsumeIntegral<std::uint8_t>());
    Bytes head = input.ConsumeBytes<std::uint8_t>(kHeaderSize);
    if (input.ConsumeBool()) std::copy_n("INSERT_FIRMWARE", 15, area.begin());
    std::copy(head.begin(), head.end(), area.begin() + (input.ConsumeBool() ? 15 : 0));
    area.resize(input.ConsumeBool() ? input.ConsumeIntegralInRange<std::size_t>(0, kPackageSize) : kPackageSize);
    program.insert(program.end(), area.begin(), area.end());

    const Bytes tail = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 48));
    program.insert(program.end(), tail.begin(), tail.end());
    for (int extra = 1; extra < anchors; ++extra)
        InsertAnchor(program, input.ConsumeIntegralInRange<std::size_t>(0, program.size()));
    return program;
}

Bytes MakeImage(FuzzedDataProvider& input) {
    const bool exactSize = input.ConsumeIntegralInRange(0, 7) != 0;
    const std::size_t size = exactSize ? kImageSize : input.ConsumeIntegralInRange<std::size_t>(0, kImageSize + 64);
    const bool withAnchor = input.ConsumeIntegralInRange(0, 7) == 0;
    const std::size_t anchorAt = input.ConsumeIntegralInRange<std::size_t>(0, size);
    Bytes image = Repeated(input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 64)), size);
    if (withAnchor && size >= kAnchorSize) {
        constexpr auto anchor = Anchor();
        std::copy(anchor.begin(), anchor.end(),
                  image.begin() + static_cast<std::ptrdiff_t>(std::min(anchorAt, size - kAnchorSize)));
    }
    return image;
}

bool IsOneRefusalLine(const std::string& text) {
    return text.rfind("ktxcombine: ", 0) == 0 && text.back() == '\n' && std::count(text.begin(), text.end(), '\n') == 1;
}

// The published check given for `image`: a right --sum, a right --sha256,
// none (--unchecked-image) or a wrong --sum. Sets `matches`.
std::vector<std::string> CheckOptions(int choice, const Bytes& image, bool& matches) {
    char sum[8];
    std::snprintf(sum, sizeof sum, "%04X", (ByteSum(image) + (choice == 3 ? 1u : 0u)) & 0xFFFFu);
    matches = choice != 3;
    switch (choice) {
    case 1: {
        char digest[kSha256TextSize];
        FormatSha256(Sha256(image.data(), image.size()), digest);
        return {"--sha256", digest};
    }
    case 2: return {"--unchecked-image"};
    default: return {"--sum", sum};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider input(bytes, size);
    const std::string tag = input.ConsumeRandomLengthString(6);
    const std::string maskText = input.ConsumeRandomLengthString(8);
    const bool outputOverTemplate = input.ConsumeIntegralInRange(0, 7) == 0;
    const Bytes program = MakeTemplate(input);
    const Bytes image = MakeImage(input);
    bool checkMatches = false;
    const std::vector<std::string> check = CheckOptions(input.ConsumeIntegralInRange(0, 3), image, checkMatches);

    const fs::path templatePath = WorkFolder() / "template.exe";
    const fs::path imagePath = WorkFolder() / "image.bin";
    const fs::path separateOutputPath = WorkFolder() / "combined.exe";
    const fs::path outputPath = outputOverTemplate ? templatePath : separateOutputPath;
    std::error_code ignored;
    fs::remove(separateOutputPath, ignored);
    WriteFile(templatePath, program);
    WriteFile(imagePath, image);

    Bytes expected;
    // The template is never the output: combining in place is refused.
    const bool shouldSucceed =
        ModelCombine(program, image, tag, maskText, checkMatches, expected) && !outputOverTemplate;
    std::vector<std::string> args = {templatePath.string(), imagePath.string(), "--revision", tag, "--mask", maskText,
                                     "-o", outputPath.string()};
    args.insert(args.end(), check.begin(), check.end());
    std::string out, err;
    const int status = RunCombineTool(args, out, err);
    FUZZ_CHECK(status == kExitSuccess || status == kExitRefused);
    FUZZ_CHECK((status == kExitSuccess) == shouldSucceed);
    if (status == kExitSuccess) {
        FUZZ_CHECK(err.empty() && !out.empty());
        FUZZ_CHECK(ReadFile(outputPath) == expected);
        const ToolOutcome info = DescribePackageFile(outputPath.string());
        FUZZ_CHECK(info.ok && info.output.find("(matches)") != std::string::npos);
    } else {
        // A wrong check is refused with the image's fingerprints below the line.
        FUZZ_CHECK(out.empty() && (IsOneRefusalLine(err) ||
                                   (!checkMatches && err.find(": not the image the maker published (") != std::string::npos)));
        FUZZ_CHECK(ReadFile(templatePath) == program);
        FUZZ_CHECK(!fs::exists(separateOutputPath));
        // Nothing left behind: only the two input files are in the folder.
        FUZZ_CHECK(std::distance(fs::directory_iterator(WorkFolder()), fs::directory_iterator()) == 2);
    }

    // --info on the template as it was: a description, or one clear refusal.
    WriteFile(templatePath, program);
    const std::vector<std::size_t> anchors = AnchorPositions(program);
    const ToolOutcome info = DescribePackageFile(templatePath.string());
    const std::size_t area = anchors.empty() ? 0 : anchors[0] + kAnchorSize;
    const bool describable = anchors.size() == 1 && program.size() - area >= kPackageSize &&
                             (std::equal(program.begin() + static_cast<std::ptrdiff_t>(area),
                                         program.begin() + static_cast<std::ptrdiff_t>(area + 15), "INSERT_FIRMWARE") ||
                              ModelHeaderShape(program.data() + area));
    FUZZ_CHECK(info.ok == describable);
    if (!info.ok) FUZZ_CHECK(IsOneRefusalLine(info.error + "\n"));
    return 0;
}
