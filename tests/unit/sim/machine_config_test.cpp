// The simulated machine's configuration file: what a good file builds, and
// how each kind of mistake is reported (file, line, problem) without
// building anything.

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <tuple>

#include "drive_test_support.h"

#include "sample_image.h"

#include "simulated_machine.h"


namespace {

using sim::SimulatedMachine;
using testing::HasSubstr;
namespace fs = std::filesystem;

// A fresh folder for files a test writes, removed afterwards.
class TempFolder {
public:
    TempFolder() : path_(fs::temp_directory_path() / ("ktx_sim_" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string Write(const std::string& name, const std::string& content) const {
        const fs::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file.string();
    }
    fs::path path() const { return path_; }

private:
    fs::path path_;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(MachineConfig, FullExampleBuildsAdaptersDrivesVolumesAndTrace) {
    TempFolder folder;
    const std::string path = folder.Write("machine.cfg", R"(# two drives, one hard disk
trace = trace.log            # next to this file
[adapter 0]
max_targets = 8
inquiry = ok
[adapter 1]
max_targets = 0x10
inquiry = invalid

[drive]
adapter = 0
target = 1
letter = e
peripheral = 0x25
vendor = TAVRINE
capabilities = 3b 30
image = zeros
latency_ms = 25
inquiry_length = 36
fault = refuse-block 3 4
fault = refuse-from-block 7
fault = mode-sense-fails
fault = vanish-after 10
fault = never-complete 12
fault = not-ready
fault = late-block 2 15000
fault = unit-attention-after-install microcode-changed

[drive]
adapter = 1
target = 15
[volume C]
kind = disk
)");
    std::unique_ptr<SimulatedMachine> machine;
    std::string error;
    ASSERT_TRUE(SimulatedMachine::LoadFile(path, machine, error)) << error;

    ASSERT_EQ(machine->adapters().size(), 2u);
    EXPECT_EQ(machine->adapters()[1].haUniqueByte3, 16);
    EXPECT_EQ(machine->adapters()[1].inquiry, sim::AdapterConfig::Inquiry::Invalid);

    sim::SimulatedDrive* e = machine->DriveAtLetter('E');
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(machine->DriveAt(0, 1), e);
    const sim::DriveConfig& c = e->config();
    EXPECT_EQ(std::make_tuple(c.peripheral, c.capability10, c.capability11, c.latencyMs, c.inquiryLength),
              std::make_tuple(0x25, 0x3B, 0x30, 25u, 36));
    EXPECT_EQ(std::make_tuple(c.refuseBlock, c.refuseBlockTimes, c.refuseFromBlock, c.vanishAfterCommand,
                              c.neverCompleteCommand, c.modeSenseFails, c.notReady),
              std::make_tuple(3, 4u, 7, 10u, 12u, true, true));
    EXPECT_EQ(std::make_tuple(c.lateBlock, c.lateBlockMs, c.unitAttentionAfterInstall),
              std::make_tuple(2, 15000u, sim::DriveConfig::UnitAttention::MicrocodeChanged));
    EXPECT_EQ(e->image(), std::vector<std::uint8_t>(kImageSize, 0));
    ASSERT_NE(machine->DriveAt(1, 15), nullptr);
    EXPECT_EQ(machine->DriveAt(1, 15)->image(), MakeSampleImage());
    EXPECT_TRUE(machine->IsHardDisk('C'));
    EXPECT_EQ(machine->volumes().size(), 2u);

    sim_test::Send(*e, commands::TestUnitReady(), nullptr);
    EXPECT_EQ(ReadText(folder.path() / "trace.log"),
              "0:1 E: #1 CDB 00 00 00 00 00 00 00 00 00 00 00 00 | in 0 | check: not ready (fault: not-ready)\n");
}

TEST(MachineConfig, DrivesWithoutAdapterSectionsImplyAdaptersUpToTheHighestNumber) {
    std::unique_ptr<SimulatedMachine> machine;
    std::string error;
    ASSERT_TRUE(SimulatedMachine::Parse("[drive]\nadapter = 1\ntarget = 2\n[drive]\n", "m.cfg", machine, error))
        << error;
    ASSERT_EQ(machine->adapters().size(), 2u);
    EXPECT_EQ(machine->adapters()[0].id, 0);
    EXPECT_EQ(machine->adapters()[1].id, 1);
    EXPECT_EQ(sim::TargetCount(machine->adapters()[1]), 8u);
    EXPECT_NE(machine->DriveAt(0, 0), nullptr);
    EXPECT_EQ(machine->DriveAtLetter('E'), nullptr);

    ASSERT_TRUE(SimulatedMachine::Parse("# nothing here\n\n", "empty.cfg", machine, error)) << error;
    EXPECT_TRUE(machine->adapters().empty());
    EXPECT_TRUE(machine->drives().empty());
}

TEST(MachineConfig, ImageFileIsReadFromTheConfigFilesFolder) {
    TempFolder folder;
    const std::vector<std::uint8_t> image = sim_test::PatternImage();
    folder.Write("p13.bin", std::string(image.begin(), image.end()));
    folder.Write("short.bin", std::string(1000, 'x'));
    std::unique_ptr<SimulatedMachine> machine;
    std::string error;

    ASSERT_TRUE(SimulatedMachine::LoadFile(folder.Write("a.cfg", "[drive]\nimage = file p13.bin\n"), machine, error))
        << error;
    EXPECT_EQ(machine->drives()[0]->image(), image);

    const std::string bad = folder.Write("b.cfg", "[drive]\ntarget = 1\nimage = file short.bin\n");
    EXPECT_FALSE(SimulatedMachine::LoadFile(bad, machine, error));
    EXPECT_THAT(error, HasSubstr(bad + ":3: image file '"));
    EXPECT_THAT(error, HasSubstr("short.bin' is 1000 bytes, expected 131072"));
    // The earlier machine is still there.
    EXPECT_EQ(machine->drives()[0]->image(), image);

    const std::string missing = folder.Write("c.cfg", "[drive]\nimage = file nowhere.bin\n");
    EXPECT_FALSE(SimulatedMachine::LoadFile(missing, machine, error));
    EXPECT_THAT(error, HasSubstr(missing + ":2: cannot read image file '"));
}

TEST(MachineConfig, MissingFileIsNamed) {
    std::unique_ptr<SimulatedMachine> machine;
    std::string error;
    EXPECT_FALSE(SimulatedMachine::LoadFile("/no/such/folder/machine.cfg", machine, error));
    EXPECT_EQ(error, "/no/such/folder/machine.cfg: cannot read the configuration file");
    EXPECT_EQ(machine, nullptr);
}

struct BadConfig {
    const char* text;
    const char* error;  // the whole message
};

TEST(MachineConfig, MistakesAreRefusedWithFileLineAndProblem) {
    const BadConfig cases[] = {
        {"[drive]\ncolour = red\n", "bad.cfg:2: unknown key 'colour' in [drive]"},
        {"[drive]\ntarget = 8x\n", "bad.cfg:2: bad number '8x' for target (0..255)"},
        {"[drive]\nlatency_ms = 60001\n", "bad.cfg:2: bad number '60001' for latency_ms (0..60000)"},
        {"[drive]\ninquiry_length = 4\n", "bad.cfg:2: bad number '4' for inquiry_length (5..255)"},
        {"[drive]\nletter = EF\n", "bad.cfg:2: bad letter 'EF' (one of A..Z)"},
        {"[drive]\ncapabilities = 08\n", "bad.cfg:2: capabilities must be two hex bytes like '08 00', got '08'"},
        {"[drive]\ncapabilities = 0x08 00\n",
         "bad.cfg:2: capabilities must be two hex bytes like '08 00', got '0x08 00'"},
        {"[drive]\nvendor = TAVRINE99\n", "bad.cfg:2: vendor 'TAVRINE99' is longer than 8 characters"},
        {"[drive]\nimage = random\n", "bad.cfg:2: unknown image 'random' (sample, zeros or file PATH)"},
        {"[drive]\nfault = explode\n",
         "bad.cfg:2: unknown fault 'explode' (refuse-block N K, refuse-from-block N, mode-sense-fails, "
         "vanish-after N, never-complete N, not-ready, late-block N MS, unit-attention-after-install "
         "power-on|microcode-changed)"},
        {"[drive]\nfault = late-block 2\n", "bad.cfg:2: fault 'late-block' takes a block (1..8) and milliseconds"},
        {"[drive]\nfault = late-block 2 60001\n", "bad.cfg:2: bad number '60001' for fault late-block (1..60000)"},
        {"[drive]\nfault = unit-attention-after-install reboot\n",
         "bad.cfg:2: fault 'unit-attention-after-install' takes power-on or microcode-changed, got 'reboot'"},
        {"[drive]\nfault = refuse-block 3\n", "bad.cfg:2: fault 'refuse-block' takes a block (1..8) and a count"},
        {"[drive]\nfault = refuse-block 9 1\n", "bad.cfg:2: bad number '9' for fault refuse-block (1..8)"},
        {"[drive]\nfault = not-ready now\n", "bad.cfg:2: fault 'not-ready' takes nothing"},
        {"[drive]\nfault = not-ready\n\nfault = not-ready\n", "bad.cfg:4: fault 'not-ready' given twice for this drive"},
        {"vendor = TAVRINE\n[drive]\n", "bad.cfg:1: key 'vendor' outside a section"},
        {"[drive]\ntarget = 1\n# again\ntarget = 2\n", "bad.cfg:4: duplicate key 'target' (first at line 2)"},
        {"[drive]\ntarget = 1\n[drive]\ntarget = 1\n", "bad.cfg:3: duplicate address 0:1"},
        {"[drive]\nletter = E\n[volume e]\n", "bad.cfg:3: letter E already in use"},
        {"[adapter 0]\n[adapter 0]\n", "bad.cfg:2: duplicate adapter 0"},
        {"[adapter 0]\nmax_targets = 4\n[drive]\ntarget = 4\n", "bad.cfg:3: drive 0:4 is beyond adapter 0's 4 targets"},
        {"[adapter 0]\n[drive]\nadapter = 1\n", "bad.cfg:2: drive 1:0 is on adapter 1, which has no [adapter] section"},
        {"[cdrom]\n", "bad.cfg:1: unknown section '[cdrom]' (expected [adapter N], [drive] or [volume X])"},
        {"[drive]\ntarget 1\n", "bad.cfg:2: expected 'key = value', got 'target 1'"},
        {"[drive]\ntarget =\n", "bad.cfg:2: missing value for 'target'"},
        // Vertical tab and form feed are blanks as well (a fault of them alone once crashed the parser).
        {"[drive]\nfault = \v\n", "bad.cfg:2: missing value for 'fault'"},
        {"[drive]\ncapabilities =\f\v \n", "bad.cfg:2: missing value for 'capabilities'"},
        {"[drive]\n\v= 1\n", "bad.cfg:2: missing key before '='"},
    };
    for (const BadConfig& bad : cases) {
        SCOPED_TRACE(bad.text);
        std::unique_ptr<SimulatedMachine> machine;
        std::string error;
        EXPECT_FALSE(SimulatedMachine::Parse(bad.text, "bad.cfg", machine, error));
        EXPECT_EQ(error, bad.error);
        EXPECT_EQ(machine, nullptr);
    }
}

}  // namespace
