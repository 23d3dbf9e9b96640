// The simulated machine's configuration file. Line based: '#' starts a
// comment, settings read "key = value", and sections [adapter N], [drive]
// and [volume X] group them; the only setting before the first section is
// "trace". The parser is strict: whatever it does not know is refused with
// the file, the line and the problem, and nothing is built.

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "device/device_list.h"
#include "simulated_machine.h"


namespace sim {
namespace {

// Blanks are the characters Words() skips too (isspace), so that a value
// Trim leaves non-empty always has at least one word.
std::string Trim(const std::string& text) {
    const char* blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Decimal, or hexadecimal after "0x"; nothing else (no sign, no blanks).
bool ParseNumber(const std::string& text, std::uint32_t min, std::uint32_t max, std::uint32_t& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > (hex ? 8u : 10u)) return false;
    std::uint64_t number = 0;
    for (char c : digits) {
        if (hex ? !IsHexDigit(c) : !IsDigit(c)) return false;
        const int digit = IsDigit(c) ? c - '0' : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        number = number * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    }
    if (number < min || number > max) return false;
    value = static_cast<std::uint32_t>(number);
    return true;
}

std::string BadNumber(const std::string& what, const std::string& text, std::uint32_t min, std::uint32_t max) {
    return "bad number '" + text + "' for " + what + " (" + std::to_string(min) + ".." + std::to_string(max) + ")";
}

// Relative paths in the file are taken from the file's own folder.
std::string ResolvePath(const std::string& sourceName, const std::string& path) {
    const std::filesystem::path given(path);
    if (given.has_root_directory() || given.has_root_name()) return path;
    return (std::filesystem::path(sourceName).parent_path() / given).string();
}

class ConfigParser {
public:
    explicit ConfigParser(std::string sourceName) : sourceName_(std::move(sourceName)) {}

    bool Run(const std::string& text, std::unique_ptr<SimulatedMachine>& out, std::string& error) {
        std::istringstream in(text);
        int number = 0;
        for (std::string raw; std::getline(in, raw);) {
            ++number;
            const std::string line = Trim(raw.substr(0, raw.find('#')));
            if (line.empty()) continue;
            if (line.front() == '[') {
                if (line.back() != ']') return Fail(number, "section header without a closing ']'", error);
                const int closing = sectionLine_;
                std::string problem = CloseSection();
                if (!problem.empty()) return Fail(closing, problem, error);
                problem = OpenSection(Trim(line.substr(1, line.size() - 2)), number);
                if (!problem.empty()) return Fail(number, problem, error);
                continue;
            }
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos)
                return Fail(number, "expected 'key = value', got '" + line + "'", error);
            const std::string key = Trim(line.substr(0, equals));
            const std::string value = Trim(line.substr(equals + 1));
            if (key.empty()) return Fail(number, "missing key before '='", error);
            if (value.empty()) return Fail(number, "missing value for '" + key + "'", error);
            const std::string problem = Setting(key, value, number);
            if (!problem.empty()) return Fail(number, problem, error);
        }
        const int closing = sectionLine_;
        std::string problem = CloseSection();
        if (!problem.empty()) return Fail(closing, problem, error);
        int line = 0;
        problem = CheckDrivesOnAdapters(line);
        if (!problem.empty()) return Fail(line, problem, error);
        if (!tracePath_.empty()) {
            std::string traceError;
            if (!machine_->trace().OpenFile(tracePath_, traceError)) return Fail(traceLine_, traceError, error);
        }
        out = std::move(machine_);
        return true;
    }

private:
    enum class Section { Top, Adapter, Drive, Volume };

    bool Fail(int line, const std::string& problem, std::string& error) const {
        error = sourceName_ + ":" + std::to_string(line) + ": " + problem;
        return false;
    }

    std::string OpenSection(const std::string& header, int line) {
        const std::vector<std::string> words = Words(header);
        sectionLine_ = line;
        keys_.clear();
        faults_.clear();
        if (words.size() == 1 && words[0] == "drive") {
            section_ = Section::Drive;
            drive_ = DriveConfig{};
            return {};
        }
        if (words.size() == 2 && words[0] == "adapter") {
            std::uint32_t id = 0;
            if (!ParseNumber(words[1], 0, 255, id)) return BadNumber("the adapter", words[1], 0, 255);
            section_ = Section::Adapter;
            adapter_ = AdapterConfig{};
            adapter_.id = static_cast<std::uint8_t>(id);
            sawAdapter_ = true;
            return {};
        }
        if (words.size() == 2 && words[0] == "volume") {
            section_ = Section::Volume;
            return Letter(words[1], volumeLetter_);
        }
        return "unknown section '[" + header + "]' (expected [adapter N], [drive] or [volume X])";
    }

    std::string CloseSection() {
        try {
            switch (section_) {
                case Section::Top: break;
                case Section::Adapter: machine_->AddAdapter(adapter_); break;
                case Section::Volume: machine_->AddHardDisk(volumeLetter_); break;
                case Section::Drive:
                    machine_->AddDrive(drive_);
                    placedDrives_.push_back({sectionLine_, drive_.adapter, drive_.target});
                    break;
            }
        } catch (const std::invalid_argument& e) {
            return e.what();
        }
        section_ = Section::Top;
        return {};
    }

    std::string Setting(const std::string& key, const std::string& value, int line) {
        if (key != "fault") {
            const auto seen = keys_.find(key);
            if (seen != keys_.end())
                return "duplicate key '" + key + "' (first at line " + std::to_string(seen->second) + ")";
            keys_[key] = line;
        }
        switch (section_) {
            case Section::Top:
                if (key != "trace") return "key '" + key + "' outside a section";
                tracePath_ = ResolvePath(sourceName_, value);
                traceLine_ = line;
                return {};
            case Section::Adapter: return AdapterSetting(key, value);
            case Section::Drive: return DriveSetting(key, value);
            case Section::Volume:
                if (key != "kind") return "unknown key '" + key + "' in [volume]";
                if (value == "disk") return {};
                return "unknown volume kind '" + value + "' (only 'disk'; optical volumes come from a [drive] letter)";
        }
        return {};
    }

    std::string AdapterSetting(const std::string& key, const std::string& value) {
        if (key == "max_targets") return Byte("max_targets", value, 0, adapter_.haUniqueByte3);
        if (key == "inquiry") {
            if (value == "ok") adapter_.inquiry = AdapterConfig::Inquiry::Ok;
            else if (value == "invalid") adapter_.inquiry = AdapterConfig::Inquiry::Invalid;
            else if (value == "error") adapter_.inquiry = AdapterConfig::Inquiry::Error;
            else return "unknown inquiry answer '" + value + "' (ok, invalid or error)";
            return {};
        }
        return "unknown key '" + key + "' in [adapter]";
    }

    std::string DriveSetting(const std::string& key, const std::string& value) {
        if (key == "adapter") return Byte("adapter", value, 0, drive_.adapter);
        if (key == "target") return Byte("target", value, 0, drive_.target);
        if (key == "letter") return Letter(value, drive_.letter);
        if (key == "peripheral") return Byte("peripheral", value, 0, drive_.peripheral);
        if (key == "vendor") return Text("vendor", value, 8, drive_.vendor);
        if (key == "product") return Text("product", value, 16, drive_.product);
        if (key == "revision") return Text("revision", value, 4, drive_.revision);
        if (key == "capabilities") return Capabilities(value);
        if (key == "image") return Image(value);
        if (key == "inquiry_length") return Byte("inquiry_length", value, 5, drive_.inquiryLength);
        if (key == "latency_ms") {
            if (!ParseNumber(value, 0, kMaxLatencyMs, drive_.latencyMs))
                return BadNumber("latency_ms", value, 0, kMaxLatencyMs);
            return {};
        }
        if (key == "fault") return Fault(value);
        return "unknown key '" + key + "' in [drive]";
    }

    static std::string Byte(const std::string& what, const std::string& value, std::uint32_t min,
                            std::uint8_t& out) {
        std::uint32_t number = 0;
        if (!ParseNumber(value, min, 255, number)) return BadNumber(what, value, min, 255);
        out = static_cast<std::uint8_t>(number);
        return {};
    }

    static std::string Letter(const std::string& value, char& out) {
        if (value.size() != 1 || !std::isalpha(static_cast<unsigned char>(value[0])))
            return "bad letter '" + value + "' (one of A..Z)";
        out = static_cast<char>(std::toupper(static_cast<unsigned char>(value[0])));
        return {};
    }

    static std::string Text(const std::string& what, const std::string& value, std::size_t width,
                            std::string& out) {
        if (value.size() > width)
            return what + " '" + value + "' is longer than " + std::to_string(width) + " characters";
        for (char c : value)
            if (c < 0x20 || c > 0x7E) return what + " '" + value + "' has a character outside printable ASCII";
        out = value;
        return {};
    }

    std::string Capabilities(const std::string& value) {
        const std::vector<std::string> words = Words(value);
        std::uint8_t bytes[2] = {};
        bool good = words.size() == 2;
        for (std::size_t i = 0; good && i < 2; ++i) {
            std::uint32_t number = 0;
            good = words[i].size() <= 2 && ParseNumber("0x" + words[i], 0, 255, number);
            bytes[i] = static_cast<std::uint8_t>(number);
        }
        if (!good) return "capabilities must be two hex bytes like '08 00', got '" + value + "'";
        drive_.capability10 = bytes[0];
        drive_.capability11 = bytes[1];
        return {};
    }

    std::string Image(const std::string& value) {
        if (value == "sample") {
            drive_.image.clear();  // the drive takes the sample image when given none
            return {};
        }
        if (value == "zeros") {
            drive_.image.assign(kImageSize, 0);
            return {};
        }
        const std::vector<std::string> words = Words(value);
        if (words.empty() || words[0] != "file") return "unknown image '" + value + "' (sample, zeros or file PATH)";
        const std::string given = Trim(value.substr(4));
        if (given.empty()) return "image 'file' needs a path";
        const std::string path = ResolvePath(sourceName_, given);
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in) return "cannot read image file '" + path + "'";
        const std::streamoff size = in.tellg();
        if (size != static_cast<std::streamoff>(kImageSize))
            return "image file '" + path + "' is " + std::to_string(size) + " bytes, expected " +
                   std::to_string(kImageSize);
        drive_.image.assign(kImageSize, 0);
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(drive_.image.data()), kImageSize))
            return "cannot read image file '" + path + "'";
        return {};
    }

    std::string Fault(const std::string& value) {
        const std::vector<std::string> words = Words(value);
        const std::string& name = words.front();
        if (!faults_.insert(name).second) return "fault '" + name + "' given twice for this drive";
        const auto arguments = [&](std::size_t count, const char* usage) -> std::string {
            if (words.size() == count + 1) return {};
            return "fault '" + name + "' takes " + usage;
        };
        const auto number = [&](std::size_t index, std::uint32_t min, std::uint32_t max, std::uint32_t& out) {
            if (ParseNumber(words[index], min, max, out)) return std::string();
            return BadNumber("fault " + name, words[index], min, max);
        };
        std::string problem;
        std::uint32_t n = 0;
        if (name == "refuse-block") {
            if (!(problem = arguments(2, "a block (1..8) and a count")).empty()) return problem;
            if (!(problem = number(1, 1, kBlocks, n)).empty()) return problem;
            drive_.refuseBlock = static_cast<std::uint8_t>(n);
            return number(2, 1, kMaxCount, drive_.refuseBlockTimes);
        }
        if (name == "refuse-from-block") {
            if (!(problem = arguments(1, "a block (1..8)")).empty()) return problem;
            if (!(problem = number(1, 1, kBlocks, n)).empty()) return problem;
            drive_.refuseFromBlock = static_cast<std::uint8_t>(n);
            return {};
        }
        if (name == "vanish-after") {
            if (!(problem = arguments(1, "a command number")).empty()) return problem;
            return number(1, 1, kMaxCount, drive_.vanishAfterCommand);
        }
        if (name == "never-complete") {
            if (!(problem = arguments(1, "a command number")).empty()) return problem;
            return number(1, 1, kMaxCount, drive_.neverCompleteCommand);
        }
        if (name == "late-block") {
            if (!(problem = arguments(2, "a block (1..8) and milliseconds")).empty()) return problem;
            if (!(problem = number(1, 1, kBlocks, n)).empty()) return problem;
            drive_.lateBlock = static_cast<std::uint8_t>(n);
            return number(2, 1, kMaxLatencyMs, drive_.lateBlockMs);
        }
        if (name == "unit-attention-after-install") {
            if (!(problem = arguments(1, "power-on or microcode-changed")).empty()) return problem;
            using UnitAttention = DriveConfig::UnitAttention;
            if (words[1] == "power-on") drive_.unitAttentionAfterInstall = UnitAttention::PowerOn;
            else if (words[1] == "microcode-changed") drive_.unitAttentionAfterInstall = UnitAttention::MicrocodeChanged;
            else return "fault 'unit-attention-after-install' takes power-on or microcode-changed, got '" + words[1] + "'";
            return {};
        }
        if (name == "mode-sense-fails" || name == "not-ready") {
            if (!(problem = arguments(0, "nothing")).empty()) return problem;
            if (name == "not-ready") drive_.notReady = true;
            else drive_.modeSenseFails = true;
            return {};
        }
        return "unknown fault '" + name +
               "' (refuse-block N K, refuse-from-block N, mode-sense-fails, vanish-after N, never-complete N, "
               "not-ready, late-block N MS, unit-attention-after-install power-on|microcode-changed)";
    }

    // With [adapter] sections, every drive must sit on one of them, within its targets.
    std::string CheckDrivesOnAdapters(int& line) const {
        if (!sawAdapter_) return {};
        const std::vector<AdapterConfig>& adapters = machine_->adapters();
        for (const PlacedDrive& drive : placedDrives_) {
            line = drive.line;
            const std::string name = std::to_string(drive.adapter) + ":" + std::to_string(drive.target);
            const AdapterConfig* adapter = nullptr;
            for (const AdapterConfig& a : adapters)
                if (a.id == drive.adapter) adapter = &a;
            if (adapter == nullptr)
                return "drive " + name + " is on adapter " + std::to_string(drive.adapter) +
                       ", which has no [adapter] section";
            if (drive.target >= TargetCount(*adapter))
                return "drive " + name + " is beyond adapter " + std::to_string(drive.adapter) + "'s " +
                       std::to_string(TargetCount(*adapter)) + " targets";
        }
        return {};
    }

    static constexpr std::uint32_t kBlocks = kImageSize / kBlockSize;
    static constexpr std::uint32_t kMaxCount = 1000000;
    static constexpr std::uint32_t kMaxLatencyMs = 60000;

    struct PlacedDrive {
        int line;
        std::uint8_t adapter, target;
    };

    const std::string sourceName_;
    std::unique_ptr<SimulatedMachine> machine_ = std::make_unique<SimulatedMachine>();
    Section section_ = Section::Top;
    int sectionLine_ = 0;
    std::map<std::string, int> keys_;  // settings of the current section, with their lines
    std::set<std::string> faults_;     // faults of the current drive
    AdapterConfig adapter_;
    DriveConfig drive_;
    char volumeLetter_ = 0;
    bool sawAdapter_ = false;
    std::vector<PlacedDrive> placedDrives_;
    std::string tracePath_;
    int traceLine_ = 0;
};

}  // namespace

bool SimulatedMachine::Parse(const std::string& text, const std::string& sourceName,
                             std::unique_ptr<SimulatedMachine>& out, std::string& error) {
    return ConfigParser(sourceName).Run(text, out, error);
}

bool SimulatedMachine::LoadFile(const std::string& path, std::unique_ptr<SimulatedMachine>& out,
                                std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::string text;
    if (in) text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.is_open() || in.bad()) {
        error = path + ": cannot read the configuration file";
        return false;
    }
    return Parse(text, path, out, error);
}

}  // namespace sim
