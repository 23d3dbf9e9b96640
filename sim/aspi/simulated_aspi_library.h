#pragma once
// The ASPI library service over the simulated ASPI manager, for tests in
// one process: "loading" wnaspi32.dll, its two entries, events, pauses and
// the clock. It can be told to fail the ways the platform can (library
// absent, an entry missing, no event, a failed wait) and records the calls
// it receives in order, so tests can check what the transport did.

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/aspi_library.h"
#include "simulated_aspi.h"


namespace sim {

// The ways the platform can fail the ASPI transport.
struct AspiLibraryFaults {
    bool libraryAbsent = false;
    bool supportInfoEntryMissing = false;
    bool sendCommandEntryMissing = false;
    bool eventCreationFails = false;
    // Every wait ends as failed: at once, or only once the event has been
    // set (the request is then complete).
    enum class WaitFault { None, FailAtOnce, FailAfterSignal } waitFault = WaitFault::None;
};

class SimulatedAspiLibrary : public platform::AspiLibrary {
public:
    using Faults = AspiLibraryFaults;

    explicit SimulatedAspiLibrary(SimulatedMachine& machine, Faults faults = Faults());
    ~SimulatedAspiLibrary() override;

    ModuleHandle Load(const char* name) override;
    void Release(ModuleHandle module) override;
    EntryAddress FindEntry(ModuleHandle module, const char* name) override;
    std::uint32_t CallSupportInfo(EntryAddress supportInfo) override;
    std::uint32_t CallSendCommand(EntryAddress sendCommand, void* srb) override;
    EventHandle CreateManualResetEvent() override;
    bool ResetEvent(EventHandle event) override;
    WaitResult WaitForEvent(EventHandle event, std::uint32_t timeoutMs) override;
    void CloseEvent(EventHandle event) override;
    void Pause(std::uint32_t milliseconds) override;
    std::uint32_t TickMs() override;

    SimulatedAspi& aspi() { return *aspi_; }

    // The calls received, in order, one word each: "load wnaspi32.dll",
    // "find GetASPI32SupportInfo", "support-info", "send", "release",
    // "create-event", "reset-event", "wait", "close-event"; a call through
    // a wrong entry address or with an unknown event adds "bad ...".
    std::vector<std::string> calls() const;
    int modulesLoaded() const;  // loads not yet released
    int eventsCreated() const;
    int eventsOpen() const;
    // Events the manager set after they had been closed.
    int lateSignals() const;
    int pauses() const;
    // The value CreateManualResetEvent last returned.
    EventHandle lastEvent() const;

private:
    struct Event {
        bool signalled = false;
        bool open = true;
    };
    void Log(const std::string& call);
    void Signal(void* handle);
    Event* FindOpenEvent(EventHandle handle);

    const Faults faults_;
    mutable std::mutex mutex_;
    std::condition_variable eventChanged_;
    std::vector<std::string> calls_;
    int modulesLoaded_ = 0;
    int pauses_ = 0;
    int lateSignals_ = 0;
    // Events by handle; handles are the addresses of the map's values, never
    // reused while the library lives.
    std::map<EventHandle, std::unique_ptr<Event>> events_;
    EventHandle lastEvent_ = nullptr;
    std::uint64_t startMs_;
    // Last: the manager's worker may set events until it is stopped.
    std::unique_ptr<SimulatedAspi> aspi_;
};

}  // namespace sim
