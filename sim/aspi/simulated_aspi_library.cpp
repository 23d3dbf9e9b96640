#include "simulated_aspi_library.h"


#include <cctype>
#include <chrono>
#include <thread>

namespace sim {

namespace {

// The simulated module and its entries: addresses that identify them. The
// entries are never called directly; calls go through CallSupportInfo and
// CallSendCommand, which check that the right entry was passed. Their
// bodies differ so that no linker folds them into one address.
char g_moduleToken;
volatile int g_directEntryCalls[2];
void SupportInfoEntry() { ++g_directEntryCalls[0]; }
void SendCommandEntry() { ++g_directEntryCalls[1]; }

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

std::uint64_t SteadyMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

}  // namespace

SimulatedAspiLibrary::SimulatedAspiLibrary(SimulatedMachine& machine, Faults faults)
    : faults_(faults), startMs_(SteadyMs()) {
    aspi_ = std::make_unique<SimulatedAspi>(machine, [this](void* event) { Signal(event); });
}

SimulatedAspiLibrary::~SimulatedAspiLibrary() { aspi_.reset(); }

void SimulatedAspiLibrary::Log(const std::string& call) {
    std::lock_guard<std::mutex> lock(mutex_);
    calls_.push_back(call);
}

std::vector<std::string> SimulatedAspiLibrary::calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
}

SimulatedAspiLibrary::ModuleHandle SimulatedAspiLibrary::Load(const char* name) {
    Log(std::string("load ") + name);
    if (faults_.libraryAbsent || !SameNameIgnoringCase(name, "wnaspi32.dll")) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    ++modulesLoaded_;
    return &g_moduleToken;
}

void SimulatedAspiLibrary::Release(ModuleHandle module) {
    if (module != &g_moduleToken) {
        Log("bad release");
        return;
    }
    Log("release");
    std::lock_guard<std::mutex> lock(mutex_);
    --modulesLoaded_;
}

SimulatedAspiLibrary::EntryAddress SimulatedAspiLibrary::FindEntry(ModuleHandle module, const char* name) {
    Log(std::string("find ") + name);
    if (module != &g_moduleToken) return nullptr;
    const std::string entry(name);
    if (entry == "GetASPI32SupportInfo" && !faults_.supportInfoEntryMissing) return &SupportInfoEntry;
    if (entry == "SendASPI32Command" && !faults_.sendCommandEntryMissing) return &SendCommandEntry;
    return nullptr;
}

std::uint32_t SimulatedAspiLibrary::CallSupportInfo(EntryAddress supportInfo) {
    if (supportInfo != &SupportInfoEntry) {
        Log("bad support-info entry");
        return 0;
    }
    Log("support-info");
    return aspi_->SupportInfo();
}

std::uint32_t SimulatedAspiLibrary::CallSendCommand(EntryAddress sendCommand, void* srb) {
    if (sendCommand != &SendCommandEntry) {
        Log("bad send entry");
        return 0;
    }
    Log("send");
    return aspi_->Send(srb);
}

SimulatedAspiLibrary::EventHandle SimulatedAspiLibrary::CreateManualResetEvent() {
    Log("create-event");
    if (faults_.eventCreationFails) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    auto event = std::make_unique<Event>();
    EventHandle handle = event.get();
    events_[handle] = std::move(event);
    lastEvent_ = handle;
    return handle;
}

SimulatedAspiLibrary::Event* SimulatedAspiLibrary::FindOpenEvent(EventHandle handle) {
    auto it = events_.find(handle);
    return it != events_.end() && it->second->open ? it->second.get() : nullptr;
}

bool SimulatedAspiLibrary::ResetEvent(EventHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Event* event = FindOpenEvent(handle);
    calls_.push_back(event ? "reset-event" : "bad reset-event");
    if (!event) return false;
    event->signalled = false;
    return true;
}

void SimulatedAspiLibrary::Signal(void* handle) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Event* event = FindOpenEvent(handle);
        if (!event) {
            ++lateSignals_;
            return;
        }
        event->signalled = true;
    }
    eventChanged_.notify_all();
}

SimulatedAspiLibrary::WaitResult SimulatedAspiLibrary::WaitForEvent(EventHandle handle, std::uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    Event* event = FindOpenEvent(handle);
    calls_.push_back(event ? "wait" : "bad wait");
    if (!event || faults_.waitFault == Faults::WaitFault::FailAtOnce) return WaitResult::Failed;
    const bool signalled =
        eventChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [event] { return event->signalled; });
    if (faults_.waitFault == Faults::WaitFault::FailAfterSignal) return WaitResult::Failed;
    return signalled ? WaitResult::Signalled : WaitResult::TimedOut;
}

void SimulatedAspiLibrary::CloseEvent(EventHandle handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    Event* event = FindOpenEvent(handle);
    calls_.push_back(event ? "close-event" : "bad close-event");
    if (event) event->open = false;
}

void SimulatedAspiLibrary::Pause(std::uint32_t milliseconds) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++pauses_;
    }
    if (milliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::uint32_t SimulatedAspiLibrary::TickMs() { return static_cast<std::uint32_t>(SteadyMs() - startMs_); }

int SimulatedAspiLibrary::modulesLoaded() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return modulesLoaded_;
}

int SimulatedAspiLibrary::eventsCreated() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(events_.size());
}

int SimulatedAspiLibrary::eventsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    int open = 0;
    for (const auto& entry : events_) open += entry.second->open ? 1 : 0;
    return open;
}

int SimulatedAspiLibrary::lateSignals() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lateSignals_;
}

int SimulatedAspiLibrary::pauses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pauses_;
}

SimulatedAspiLibrary::EventHandle SimulatedAspiLibrary::lastEvent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastEvent_;
}

}  // namespace sim
