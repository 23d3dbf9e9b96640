// The heap one whole upgrade needs: the Upgrade command runs once against a
// simulated P1.2 drive behind the simulated ASPI manager, and every byte the
// product code takes with operator new or as a working buffer is counted. The simulator's own memory and the doubles' are not:
// counting is on only for the benchmark thread, and off while the simulated
// ASPI manager works. Prints the peak above the level before the upgrade
// next to the target (the two image buffers plus 32 KiB).

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>

#include "crt_file_service.h"
#include "device/aspi_transport.h"
#include "device/device_list.h"
#include "firmware/firmware_package.h"
#include "firmware/firmware_context.h"
#include "firmware/upgrade_procedure.h"
#include "platform/aspi_library.h"
#include "platform/buffer_allocator.h"
#include "platform/system_services.h"
#include "combine_package.h"
#include "sample_image.h"
#include "simulated_aspi_library.h"
#include "simulated_machine.h"

namespace {

// Bytes the benchmark thread holds from operator new while counting, and
// the most it held.
thread_local bool t_counting = false;
std::size_t g_live = 0, g_peak = 0;

// Each block carries its requested size (and, when over-aligned, the
// address malloc returned) just below the address handed out.
constexpr std::size_t kHeader = 16;

void* Take(std::size_t size, std::size_t alignment) {
    const std::size_t lead = alignment > kHeader ? alignment : kHeader;
    unsigned char* raw = static_cast<unsigned char*>(
        alignment > kHeader ? std::aligned_alloc(alignment, (size + lead + alignment - 1) / alignment * alignment)
                            : std::malloc(size + lead));
    if (raw == nullptr) return nullptr;
    unsigned char* block = raw + lead;
    std::size_t counted = t_counting ? size : 0;
    std::memcpy(block - 16, &counted, sizeof counted);
    std::memcpy(block - 8, &raw, sizeof raw);
    g_live += counted;
    if (g_live > g_peak) g_peak = g_live;
    return block;
}

void Give(void* pointer) {
    if (pointer == nullptr) return;
    unsigned char* block = static_cast<unsigned char*>(pointer);
    std::size_t counted;
    unsigned char* raw;
    std::memcpy(&counted, block - 16, sizeof counted);
    std::memcpy(&raw, block - 8, sizeof raw);
    g_live -= counted;
    std::free(raw);
}

// Counting off for the life of one of these (the simulator's work).
struct NotCounted {
    bool was = t_counting;
    NotCounted() { t_counting = false; }
    ~NotCounted() { t_counting = was; }
};

// The simulated ASPI manager, with counting off while it runs.
class UncountedAspi : public platform::AspiLibrary {
public:
    explicit UncountedAspi(platform::AspiLibrary& inner) : inner_(inner) {}
    ModuleHandle Load(const char* name) override { NotCounted n; return inner_.Load(name); }
    void Release(ModuleHandle module) override { NotCounted n; inner_.Release(module); }
    EntryAddress FindEntry(ModuleHandle module, const char* name) override { NotCounted n; return inner_.FindEntry(module, name); }
    std::uint32_t CallSupportInfo(EntryAddress entry) override { NotCounted n; return inner_.CallSupportInfo(entry); }
    std::uint32_t CallSendCommand(EntryAddress entry, void* srb) override { NotCounted n; return inner_.CallSendCommand(entry, srb); }
    EventHandle CreateManualResetEvent() override { NotCounted n; return inner_.CreateManualResetEvent(); }
    bool ResetEvent(EventHandle event) override { NotCounted n; return inner_.ResetEvent(event); }
    WaitResult WaitForEvent(EventHandle event, std::uint32_t ms) override { NotCounted n; return inner_.WaitForEvent(event, ms); }
    void CloseEvent(EventHandle event) override { NotCounted n; inner_.CloseEvent(event); }
    void Pause(std::uint32_t ms) override { NotCounted n; inner_.Pause(ms); }
    std::uint32_t TickMs() override { return inner_.TickMs(); }

private:
    platform::AspiLibrary& inner_;
};

// A face that keeps nothing: every question is answered Yes.
class SilentPort : public OperationsPort {
public:
    void ShowStatus(const char*) override {}
    void ShowProgress(int) override {}
    void CheckEnded(UpgradeCheck, bool, const char*) override {}
    void PhaseBegins(Phase) override {}
    void PhaseEnds(Phase, bool) override {}
    void BlockAttempted(Phase, int, int, bool) override {}
    void SystemProblem(const char*) override {}
    Answer Ask(Question, const char*, Answer) override { return Answer::Yes; }
    bool ChooseFile(const FileChoice&, ChosenFile&) override { return false; }
};

// The working buffers, counted like the heap: on Windows they come from
// VirtualAlloc, here from the C library, and neither passes operator new.
class CountedBuffers : public BufferAllocator {
public:
    std::uint8_t* Allocate(std::size_t size) override {
        std::uint8_t* block = pages_.Allocate(size);
        if (block != nullptr && t_counting) {
            g_live += size;
            if (g_live > g_peak) g_peak = g_live;
            NotCounted n;  // the bench's own book-keeping
            sizes_[block] = size;
        }
        return block;
    }
    void Release(std::uint8_t* block) override {
        auto counted = sizes_.find(block);
        if (counted != sizes_.end()) {
            g_live -= counted->second;
            NotCounted n;
            sizes_.erase(counted);
        }
        pages_.Release(block);
    }

private:
    PageAlignedAllocator pages_;
    std::map<std::uint8_t*, std::size_t> sizes_;
};

class QuietSystem : public SystemServices {
public:
    int QueryVersion(OsVersionRecord&) override { return 0; }
    void Sleep(std::uint32_t) override {}
    std::uint32_t Milliseconds() override { return 0; }
    void KeepSystemAwake(bool) override {}
    std::uint32_t CurrentDirectory(std::uint32_t, char*) override { return 0; }
};

}  // namespace

void* operator new(std::size_t size) {
    void* block = Take(size, 0);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Take(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Take(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment) {
    void* block = Take(size, static_cast<std::size_t>(alignment));
    if (block == nullptr) throw std::bad_alloc();
    return block;
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Take(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* block) noexcept { Give(block); }
void operator delete[](void* block) noexcept { Give(block); }
void operator delete(void* block, std::size_t) noexcept { Give(block); }
void operator delete[](void* block, std::size_t) noexcept { Give(block); }
void operator delete(void* block, std::align_val_t) noexcept { Give(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Give(block); }

int main() {
    sim::SimulatedMachine machine;
    machine.AddDrive(sim::DriveConfig{});
    sim::SimulatedAspiLibrary simulated(machine);
    UncountedAspi library(simulated);

    const std::vector<std::uint8_t> image = MakeSampleImage();
    std::vector<std::uint8_t> block(package_layout::kPackageSize, 0);
    WriteCombinedHeader(block.data(), "P1.3", byteSum16(image.data(), image.size()), 0x0E);
    std::memcpy(block.data() + package_layout::kImageOffset, image.data(), image.size());
    const FirmwarePackage package(block.data());

    SilentPort port;
    QuietSystem system;
    CrtFileService files;
    CountedBuffers buffers;
    AspiTransport transport(library);
    const FirmwareContext context{port, system, &files, buffers, transport, &package, 0x0E};
    FirmwareState state;
    transport.Enumerate(state.devices);
    if (state.devices.Count() == 0) {
        std::printf("the simulated drive was not found\n");
        return 1;
    }

    const std::size_t before = g_live;
    g_peak = g_live;
    t_counting = true;
    UpgradeExit exit = UpgradeExit::NotAsked;
    {
        UpgradeSession session(context);
        if (const std::optional<UpgradeExit> refused = session.CheckDrive(*state.devices.RecordAt(0)))
            exit = *refused;
        else if (const std::optional<UpgradeExit> no = session.Confirm("Please keep the power on while updating."))
            exit = *no;
        else {
            DownloadEnd end;
            exit = session.Download(state, end);
        }
    }
    t_counting = false;
    const std::size_t peak = g_peak - before;

    const bool upgraded = exit == UpgradeExit::Upgraded;
    const std::size_t target = 2 * kImageSize + 32 * 1024;
    std::printf("Heap of one whole upgrade (product code, simulated ASPI drive P1.2 -> P1.3): %s\n",
                upgraded ? "upgrade succeeded" : "UPGRADE FAILED");
    std::printf("  peak above the level before it: %zu bytes (%.1f KiB)\n", peak, peak / 1024.0);
    std::printf("  target, two %zu-byte buffers plus 32 KiB: %zu bytes; %s\n", static_cast<std::size_t>(kImageSize),
                target, peak <= target ? "within" : "ABOVE");
    std::printf("  still held after it: %zu bytes\n", g_live - before);
    return upgraded ? 0 : 1;
}
