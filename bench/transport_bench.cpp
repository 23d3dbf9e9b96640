// Figures for the two transports over the in-process simulators:
//  - a whole download (the eight vendor download commands of one image)
//    through AspiTransport over the simulated ASPI manager and through
//    PassThroughTransport over the simulated NT storage stack, with the
//    drive answering at once and after 5 ms per command;
//  - one polled ASPI command that takes 200 ms, with the processor time the
//    whole process spends on it next to the wall time: the poll gives up
//    its time slice and then sleeps, so the first is a small part of the
//    second.
// "Time" is wall time and "CPU" the process's processor time (all threads,
// the simulators' included), both per iteration.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

#include "device/aspi_transport.h"
#include "firmware/firmware_package.h"
#include "device/device_list.h"
#include "device/pass_through_transport.h"
#include "sample_image.h"

#include "simulated_aspi_library.h"

#include "simulated_machine.h"

#include "simulated_nt_storage.h"


namespace {

constexpr char kDriveLetter = 'E';

// The sample image with the sums its eight blocks carry.
struct Download {
    std::vector<std::uint8_t> image = MakeSampleImage();
    std::uint16_t imageSum = byteSum16(image.data(), image.size());

    // Sends blocks 1..8; false as soon as one is refused.
    bool SendTo(ScsiTransport& transport) const {
        for (std::uint8_t block = 1; block <= kImageSize / kBlockSize; ++block) {
            const std::uint8_t* data = image.data() + (block - 1) * kBlockSize;
            if (!transport.VendorDownload(data, block, byteSum16(data, kBlockSize), kBlockSize, imageSum)) return false;
        }
        return true;
    }
};

sim::SimulatedDrive& AddDrive(sim::SimulatedMachine& machine, std::uint32_t latencyMs) {
    sim::DriveConfig config;
    config.letter = kDriveLetter;
    config.latencyMs = latencyMs;
    return machine.AddDrive(config);
}

// Runs whole downloads through `transport`, counting the commands the drive received.
void RunDownloads(benchmark::State& state, ScsiTransport& transport, const sim::SimulatedDrive& drive) {
    static const Download download;
    const std::uint32_t before = drive.commandCount();
    for (auto _ : state) {
        if (!download.SendTo(transport)) {
            state.SkipWithError("the drive refused a block");
            return;
        }
    }
    state.counters["commands"] =
        benchmark::Counter(drive.commandCount() - before, benchmark::Counter::kAvgIterations);
}

void AspiDownload(benchmark::State& state) {
    sim::SimulatedMachine machine;
    const sim::SimulatedDrive& drive = AddDrive(machine, static_cast<std::uint32_t>(state.range(0)));
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    DeviceRecord record{};  // adapter 0, target 0
    if (!transport.initOk || !transport.Open(record)) {
        state.SkipWithError("the simulated ASPI manager did not start");
        return;
    }
    RunDownloads(state, transport, drive);
}

void PassThroughDownload(benchmark::State& state) {
    sim::SimulatedMachine machine;
    const sim::SimulatedDrive& drive = AddDrive(machine, static_cast<std::uint32_t>(state.range(0)));
    sim::SimulatedNtStorage storage(machine);
    // Volumes opened read-write, as from Windows 2000 on.
    PassThroughTransport transport(storage, platform::VolumeAccess::ReadWrite);
    DeviceRecord record{};
    record.driveLetter = kDriveLetter;
    if (!transport.initOk || !transport.Open(record)) {
        state.SkipWithError("the drive's volume did not open");
        return;
    }
    RunDownloads(state, transport, drive);
    transport.Close();
}

// One TEST UNIT READY that the drive takes state.range(0) ms to answer.
void AspiPollSlowCommand(benchmark::State& state) {
    sim::SimulatedMachine machine;
    AddDrive(machine, static_cast<std::uint32_t>(state.range(0)));
    sim::SimulatedAspiLibrary library(machine);
    AspiTransport transport(library);
    DeviceRecord record{};
    transport.Open(record);

    const int pausesBefore = library.pauses();
    const std::clock_t cpuStart = std::clock();
    const auto wallStart = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!transport.TestUnitReady()) {
            state.SkipWithError("TEST UNIT READY failed");
            return;
        }
    }
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    state.counters["polls"] = benchmark::Counter(library.pauses() - pausesBefore, benchmark::Counter::kAvgIterations);
    state.counters["cpu/wall"] = cpuSeconds / wallSeconds;
}

BENCHMARK(AspiDownload)->ArgName("latency_ms")->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(PassThroughDownload)->ArgName("latency_ms")->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(AspiPollSlowCommand)->ArgName("latency_ms")->Arg(200)->Iterations(5)->Unit(benchmark::kMillisecond)
    ->UseRealTime()->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    std::printf(
        "Transports over the in-process simulators. Download: one whole image, eight vendor\n"
        "download commands, per iteration. Poll: one TEST UNIT READY taking 200 ms; CPU is the\n"
        "whole process's processor time, cpu/wall its share of the wall time.\n\n");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
