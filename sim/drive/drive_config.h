#pragma once
// How one simulated drive, one simulated ASPI host adapter and one extra
// volume are set up: the identity a drive reports, the firmware it holds and
// the ways it can be told to misbehave. Filled from the machine's
// configuration file or directly by tests.

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct DriveConfig {
    // Address: the ASPI adapter and target, and the NT drive letter (0 for
    // none). A drive may be reachable both ways.
    std::uint8_t adapter = 0, target = 0;
    char letter = 0;

    // INQUIRY: data byte 0 whole (qualifier and device type), then the
    // blank-padded strings. `inquiryLength` is how many bytes of INQUIRY data
    // the drive has to give (the host gets at most what it asks for).
    std::uint8_t peripheral = 0x05;
    std::string vendor = "TAVRINE", product = "KTX7724R05", revision = "P1.2";
    std::uint8_t inquiryLength = 96;

    // Capabilities page bytes 2 and 3 (MODE SENSE(10) data bytes 10 and 11):
    // 08/00 reads DVD-ROM and writes no CD.
    std::uint8_t capability10 = 0x08, capability11 = 0x00;

    // The firmware image the drive holds now: kImageSize bytes, or
    // empty for the generated sample image.
    std::vector<std::uint8_t> image;
    // How long every command takes; the simulated back ends delay by it.
    std::uint32_t latencyMs = 0;

    // Faults. A zero number means the fault is off.
    std::uint8_t refuseBlock = 0;      // refuse vendor downloads of this block...
    std::uint32_t refuseBlockTimes = 0;  // ...this many times, then accept it
    std::uint8_t refuseFromBlock = 0;  // refuse every vendor download of this block or a later one
    bool modeSenseFails = false;       // MODE SENSE ends with check condition
    std::uint32_t vanishAfterCommand = 0;    // commands after this one get no answer at all
    std::uint32_t neverCompleteCommand = 0;  // this command (1-based) never completes
    bool notReady = false;             // TEST UNIT READY ends with check condition
    std::uint8_t lateBlock = 0;        // vendor downloads of this block are answered...
    std::uint32_t lateBlockMs = 0;     // ...this many milliseconds late
    // The first command after an install (INQUIRY and REQUEST SENSE aside)
    // ends with this UNIT ATTENTION, as a drive that restarts itself with
    // its new firmware reports; REQUEST SENSE reports and clears it too.
    enum class UnitAttention { None, PowerOn, MicrocodeChanged } unitAttentionAfterInstall = UnitAttention::None;
};

struct AdapterConfig {
    std::uint8_t id = 0;
    std::uint8_t haUniqueByte3 = 0;  // targets on the adapter; 0 means 8
    enum class Inquiry { Ok, Invalid, Error } inquiry = Inquiry::Ok;
};

struct VolumeConfig {
    char letter = 0;
    enum class Kind { HardDisk, Optical } kind = Kind::HardDisk;
};

// Number of targets an adapter has: HA_Unique byte 3, where 0 means 8.
inline unsigned TargetCount(const AdapterConfig& adapter) {
    return adapter.haUniqueByte3 == 0 ? 8u : adapter.haUniqueByte3;
}

// The name a drive goes by in the trace: "0:1", with " E:" when it has a letter.
std::string DriveName(const DriveConfig& config);

}  // namespace sim
