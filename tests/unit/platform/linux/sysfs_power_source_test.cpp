// The power status from a tree laid out as /sys/class/power_supply.

#include "platform/linux/linux_services.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

using Supply = std::map<std::string, std::string>;  // attribute -> value

struct Case {
    const char* name;
    std::map<std::string, Supply> supplies;
    bool onBattery;
    int percent;
};

TEST(SysfsPowerSource, ReadsMainsBatteriesAndLeavesDeviceSuppliesOut) {
    const Supply mainsOff{{"type", "Mains"}, {"online", "0"}};
    const Supply mainsOn{{"type", "Mains"}, {"online", "1"}};
    const Supply low{{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "12"}};
    const Supply full{{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "90"}};
    const Supply mouse{{"type", "Battery"}, {"scope", "Device"}, {"status", "Discharging"}, {"capacity", "3"}};
    const Case cases[] = {
        {"no supplies (a desktop)", {}, false, -1},
        {"on battery", {{"AC", mainsOff}, {"BAT0", low}}, true, 12},
        {"on mains", {{"AC", mainsOn}, {"BAT0", low}}, false, 12},
        {"a mouse's battery is no system's", {{"AC", mainsOff}, {"BAT0", full}, {"hidpp_battery_0", mouse}}, true, 90},
        {"two batteries: the lower counts", {{"BAT0", full}, {"BAT1", low}}, true, 12},
    };
    const fs::path root = fs::temp_directory_path() / ("ktx_power_" + std::to_string(::getpid()));
    for (const Case& c : cases) {
        fs::remove_all(root);
        fs::create_directories(root);
        for (const auto& [name, attributes] : c.supplies) {
            fs::create_directories(root / name);
            for (const auto& [attribute, value] : attributes) std::ofstream(root / name / attribute) << value << "\n";
        }
        const PowerStatus status = linux_platform::SysfsPowerSource(root.c_str()).Read();
        EXPECT_EQ(status.onBattery, c.onBattery) << c.name;
        EXPECT_EQ(status.percent, c.percent) << c.name;
    }
    fs::remove_all(root);
    EXPECT_FALSE(linux_platform::SysfsPowerSource(root.c_str()).Read().onBattery) << "no such folder";
}

}  // namespace
