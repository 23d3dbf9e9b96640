#include "combine_test_files.h"


#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "firmware/firmware_package.h"

namespace fs = std::filesystem;
using namespace package_layout;

ScratchDirectory::ScratchDirectory() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root_ = fs::temp_directory_path() /
            ("ktxcombine-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(root_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void ScratchDirectory::Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(root_ / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write scratch file " + name);
}

std::vector<std::uint8_t> ScratchDirectory::Read(const std::string& name) const {
    std::ifstream in(root_ / name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read scratch file " + name);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ScratchDirectory::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> TemplateProgram(int areas) {
    std::vector<std::uint8_t> file(kLeadingBytes, 0x90);
    constexpr auto anchor = Anchor();
    for (int i = 0; i < areas; ++i) {
        file.insert(file.end(), anchor.begin(), anchor.end());
        const std::size_t block = file.size();
        file.resize(block + kPackageSize, 0);
        std::copy(kUncombinedMarker, kUncombinedMarker + kUncombinedMarkerLength, file.begin() + block);
        file.insert(file.end(), kTrailingBytes, 0xCC);
    }
    return file;
}

std::size_t FirstPackageOffset() {
    return kLeadingBytes + kAnchorSize;
}
