// The logind sleep inhibitor: the Inhibit call it makes and the descriptor
// it holds, over a stand-in sd-bus library; and that without a usable bus
// or library it holds nothing and returns at once.

#include "platform/linux/linux_services.h"

#include <dlfcn.h>
#include <poll.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

using linux_power::SleepInhibitor;

// The stand-in library, reached the same way the inhibitor reaches it.
class FakeSdBus {
public:
    FakeSdBus() : handle_(dlopen(KTX_FAKE_LIBSYSTEMD, RTLD_NOW | RTLD_LOCAL)) {}
    ~FakeSdBus() {
        if (handle_ != nullptr) dlclose(handle_);
    }
    bool loaded() const { return handle_ != nullptr; }
    std::string Field(int index) const {
        using Recorded = const void* (*)();
        using FieldOf = const char* (*)(const void*, int);
        return Function<FieldOf>("fake_sd_bus_field")(Function<Recorded>("fake_sd_bus_recorded")(), index);
    }
    int Count(const char* name) const { return Function<int (*)()>(name)(); }
    // True while the inhibitor's end of the pipe is still open somewhere.
    bool ReadEndOpen() const {
        pollfd watch = {Count("fake_sd_bus_write_end"), POLLOUT, 0};
        return poll(&watch, 1, 0) == 1 && (watch.revents & POLLERR) == 0;
    }

private:
    template <typename F>
    F Function(const char* name) const {
        return reinterpret_cast<F>(dlsym(handle_, name));
    }
    void* handle_;
};

TEST(SleepInhibitor, AsksLogindToBlockSleepAndShutdownAndHoldsTheDescriptorUntilReleased) {
    FakeSdBus fake;
    ASSERT_TRUE(fake.loaded()) << dlerror();
    SleepInhibitor inhibitor =
        linux_power::InhibitSleepAndShutdown("ktxflash", "Firmware download", KTX_FAKE_LIBSYSTEMD);
    ASSERT_TRUE(inhibitor.held());
    EXPECT_EQ(fake.Count("fake_sd_bus_calls"), 1);
    const char* expected[] = {"org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                              "Inhibit", "ssss", "sleep:shutdown", "ktxflash", "Firmware download", "block"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(fake.Field(i), expected[i]) << "argument " << i;
    // The bus and the reply are let go at once; only the descriptor stays.
    EXPECT_EQ(fake.Count("fake_sd_bus_buses_open"), 0);
    EXPECT_EQ(fake.Count("fake_sd_bus_messages_alive"), 0);
    EXPECT_TRUE(fake.ReadEndOpen());

    SleepInhibitor moved(std::move(inhibitor));
    EXPECT_FALSE(inhibitor.held());
    EXPECT_TRUE(fake.ReadEndOpen());
    moved.Release();
    EXPECT_FALSE(moved.held());
    EXPECT_FALSE(fake.ReadEndOpen());
    moved.Release();  // a second release closes nothing
    close(fake.Count("fake_sd_bus_write_end"));
}

TEST(SleepInhibitor, HoldsNothingWhenLogindRefuses) {
    FakeSdBus fake;
    ASSERT_TRUE(fake.loaded());
    setenv("FAKE_SD_BUS_REFUSE", "1", 1);
    const SleepInhibitor inhibitor = linux_power::InhibitSleepAndShutdown("ktxflash", "test", KTX_FAKE_LIBSYSTEMD);
    unsetenv("FAKE_SD_BUS_REFUSE");
    EXPECT_FALSE(inhibitor.held());
    EXPECT_EQ(fake.Count("fake_sd_bus_buses_open"), 0);
}

TEST(SleepInhibitor, WithoutTheLibraryOrASystemBusItHoldsNothing) {
    EXPECT_FALSE(linux_power::InhibitSleepAndShutdown("ktxflash", "test", "libktx_no_such_library.so.0").held());
    // The real library, pointed at a system bus that is not there.
    const char* saved = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ktx_system_bus_socket", 1);
    const SleepInhibitor inhibitor = linux_power::InhibitSleepAndShutdown("ktxflash", "test");
    if (saved != nullptr)
        setenv("DBUS_SYSTEM_BUS_ADDRESS", previous.c_str(), 1);
    else
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    EXPECT_FALSE(inhibitor.held());
}

}  // namespace
