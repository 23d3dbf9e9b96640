// The sleep inhibitor of a static ktxflash: systemd-inhibit's command line,
// the block held until the inhibitor is released, and nothing held (at
// once) when the program refuses or is missing. A stand-in script plays
// systemd-inhibit.

#include "platform/linux/linux_services.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using linux_power::InhibitThroughProgram;
using linux_power::SleepInhibitor;

class InhibitProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/ktx_inhibit_XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        record_ = pattern;
        setenv("KTX_FAKE_INHIBIT_RECORD", record_.c_str(), 1);
        unsetenv("KTX_FAKE_INHIBIT_REFUSE");
    }
    void TearDown() override {
        unsetenv("KTX_FAKE_INHIBIT_RECORD");
        unsetenv("KTX_FAKE_INHIBIT_REFUSE");
        std::remove(record_.c_str());
    }
    std::string Recorded() const {
        std::ifstream file(record_);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    // The record once it ends with "ended", or what it holds after 5 s.
    std::string RecordedAfterEnd() const {
        for (int i = 0; i < 500; ++i) {
            const std::string text = Recorded();
            if (text.size() >= 6 && text.compare(text.size() - 6, 6, "ended\n") == 0) return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return Recorded();
    }

    std::string record_;
};

TEST_F(InhibitProgram, HoldsTheBlockWithLogindsOptionsUntilReleased) {
    SleepInhibitor inhibitor = InhibitThroughProgram("ktxflash", "Firmware download", KTX_FAKE_SYSTEMD_INHIBIT);
    ASSERT_TRUE(inhibitor.held());
    const std::string options = "--what=sleep:shutdown\n--who=ktxflash\n--why=Firmware download\n--mode=block\n";
    EXPECT_EQ(Recorded(), options);  // the command still runs: the block is held
    inhibitor.Release();
    EXPECT_FALSE(inhibitor.held());
    EXPECT_EQ(RecordedAfterEnd(), options + "ended\n");
}

TEST_F(InhibitProgram, HoldsNothingWhenTheProgramRefusesOrIsMissing) {
    setenv("KTX_FAKE_INHIBIT_REFUSE", "1", 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(InhibitThroughProgram("ktxflash", "x", KTX_FAKE_SYSTEMD_INHIBIT).held());
    EXPECT_FALSE(InhibitThroughProgram("ktxflash", "x", "/nonexistent/systemd-inhibit").held());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(Recorded(), "");
}

}  // namespace
