// The simulated machine's configuration text, parsed as a file in a folder
// of this process's own. Path separators in the input are replaced, so every
// file the text names (image files, the trace) lies in that folder, which
// holds one good image file ("image.bin") and one short one ("short.bin").
//
// Invariants: a refusal names the source, a line of the text and a problem,
// and leaves the caller's machine as it was; a machine that was built has
// unique drive addresses and letters, sorted adapters and volumes, drive
// images of the right size, and drives that answer INQUIRY with their
// configured peripheral byte.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "device/command_set.h"
#include "device/device_list.h"
#include "fuzz_support.h"

#include "fuzz_work_folder.h"

#include "simulated_machine.h"


namespace {

namespace fs = std::filesystem;

const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        fs::path path = MakeWorkFolder("ktx_fuzz_config");
        std::ofstream(path / "image.bin", std::ios::binary) << std::string(kImageSize, '\x5A');
        std::ofstream(path / "short.bin", std::ios::binary) << std::string(100, '\x5A');
        return path;
    }();
    return folder;
}

bool IsFixture(const std::string& path) {
    const fs::path name = fs::path(path).filename();
    return name == "image.bin" || name == "short.bin";
}

// "SOURCE:LINE: problem" with 1 <= LINE <= lines.
bool IsLocatedProblem(const std::string& error, const std::string& source, std::size_t lines) {
    if (error.compare(0, source.size() + 1, source + ":") != 0) return false;
    const std::size_t digits = source.size() + 1;
    const std::size_t colon = error.find(':', digits);
    if (colon == std::string::npos || colon == digits || error.compare(colon, 2, ": ") != 0) return false;
    if (error.find_first_not_of("0123456789", digits) != colon) return false;
    const unsigned long line = std::stoul(error.substr(digits, colon - digits));
    return line >= 1 && line <= lines && error.size() > colon + 2;
}

void CheckMachine(sim::SimulatedMachine& machine) {
    std::set<std::pair<int, int>> addresses;
    std::set<char> letters;
    for (sim::SimulatedDrive* drive : machine.drives()) {
        const sim::DriveConfig& config = drive->config();
        FUZZ_CHECK(addresses.insert({config.adapter, config.target}).second);
        if (config.letter != 0) {
            FUZZ_CHECK(config.letter >= 'A' && config.letter <= 'Z');
            FUZZ_CHECK(letters.insert(config.letter).second);
            FUZZ_CHECK(machine.DriveAtLetter(config.letter) == drive);
        }
        FUZZ_CHECK(machine.DriveAt(config.adapter, config.target) == drive);
        FUZZ_CHECK(drive->image().size() == kImageSize);
        FUZZ_CHECK(config.vendor.size() <= 8 && config.product.size() <= 16 && config.revision.size() <= 4);
        FUZZ_CHECK(config.inquiryLength >= 5);
    }
    const std::vector<sim::VolumeConfig> volumes = machine.volumes();
    for (std::size_t i = 1; i < volumes.size(); ++i) FUZZ_CHECK(volumes[i - 1].letter < volumes[i].letter);
    const std::vector<sim::AdapterConfig>& adapters = machine.adapters();
    for (std::size_t i = 1; i < adapters.size(); ++i) FUZZ_CHECK(adapters[i - 1].id < adapters[i].id);

    // Each drive answers INQUIRY with what it was configured to report
    // (unless a fault keeps its first command from completing).
    if (IsFixture(machine.trace().filePath())) return;  // its lines would damage the fixture
    for (sim::SimulatedDrive* drive : machine.drives()) {
        const commands::Command inquiry = commands::Inquiry(commands::Backend::PassThrough);
        std::vector<std::uint8_t> data(inquiry.transferLength, 0);
        const sim::ScsiOutcome outcome = drive->Execute(inquiry.cdb.data(), inquiry.cdbLength, sim::DataDirection::In,
                                                        data.data(), inquiry.transferLength);
        if (drive->config().neverCompleteCommand == 1) {
            FUZZ_CHECK(outcome == sim::ScsiOutcome::NeverCompletes);
            continue;
        }
        FUZZ_CHECK(outcome == sim::ScsiOutcome::Good);
        FUZZ_CHECK(data[0] == drive->config().peripheral);
        FUZZ_CHECK(commands::InquiryAccepted(data.data()) == ((drive->config().peripheral & 0x1F) == 5));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), size);
    std::replace(text.begin(), text.end(), '/', '_');
    std::replace(text.begin(), text.end(), '\\', '_');
    const std::string source = (WorkFolder() / "machine.cfg").string();

    auto sentinel = std::make_unique<sim::SimulatedMachine>();
    sim::SimulatedMachine* const before = sentinel.get();
    std::unique_ptr<sim::SimulatedMachine> machine = std::move(sentinel);
    std::string error;
    const bool parsed = sim::SimulatedMachine::Parse(text, source, machine, error);
    if (!parsed) {
        FUZZ_CHECK(machine.get() == before);
        FUZZ_CHECK(
            IsLocatedProblem(error, source, static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1));
        return 0;
    }
    FUZZ_CHECK(machine != nullptr && machine.get() != before);
    CheckMachine(*machine);

    const std::string trace = machine->trace().filePath();
    machine.reset();
    if (!trace.empty() && !IsFixture(trace)) {
        std::error_code ignored;
        fs::remove(trace, ignored);
    }
    return 0;
}
