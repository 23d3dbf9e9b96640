// The product's Linux device code (LinuxScsiGenericDevices: opendir, open,
// ioctl) run natively with the SG_IO preload library beneath it: the
// simulated drive answers through the real system calls, and writes its
// trace. Run with LD_PRELOAD naming libktx_sgio_preload.so (CTest does).

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/linux_scsi_generic_devices.h"
#include "device/sg_io_transport.h"
#include "system_sg_io_answer.h"

namespace {

using sgio::DeviceError;

// A folder with placeholders sg0 (the configured drive) and sg1 (no drive
// behind it), the machine's configuration and its trace. The preload
// library reads the variables when the program first reaches a device.
class SimulatedDevFolder : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/ktx_sgio_preload_XXXXXX";
        folder = mkdtemp(pattern);
        std::filesystem::create_directory(folder + "/dev");
        std::ofstream(folder + "/dev/sg0").put('\n');
        std::ofstream(folder + "/dev/sg1").put('\n');
        std::ofstream(folder + "/machine.cfg") << "trace = trace.log\n[drive]\nadapter = 0\ntarget = 0\n";
        setenv("KTX_SGIO_DIR", (folder + "/dev").c_str(), 1);
        setenv("KTX_SIM_CONFIG", (folder + "/machine.cfg").c_str(), 1);
        unsetenv("KTX_SGIO_NO_RAWIO");
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string Trace() const {
        std::ifstream in(folder + "/trace.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string folder;
};

SimulatedDevFolder* environment = nullptr;

std::vector<std::string> ListDev() {
    sgio::LinuxScsiGenericDevices devices;
    sgio::DevicePath paths[8];
    const std::size_t count = devices.List(paths, 8);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) names.push_back(paths[i].text);
    return names;
}

TEST(SgioPreload, ListsThePlaceholdersAsDevSgNodes) {
    ASSERT_NE(std::getenv("LD_PRELOAD"), nullptr) << "run with the SG_IO preload library in LD_PRELOAD";
    EXPECT_EQ(ListDev(), (std::vector<std::string>{"/dev/sg0", "/dev/sg1"}));
}

TEST(SgioPreload, TheSimulatedDriveAnswersInquiryAndTracesIt) {
    sgio::LinuxScsiGenericDevices devices;
    sgio::OpenedScsiDevice device;
    ASSERT_EQ(sgio::OpenScsiDevice(devices, "/dev/sg0", device), DeviceError::None);
    unsigned char data[commands::kInquiryPassThroughLength] = {};
    const auto outcome = sgio::SendCommand(device, commands::Inquiry(commands::Backend::PassThrough), data);
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_TRUE(commands::InquiryAccepted(data));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data) + 8, 18), "TAVRINE KTX7724R05");
    EXPECT_NE(environment->Trace().find("CDB 12 00 00 00 C0 00 | in 512"), std::string::npos) << environment->Trace();
}

TEST(SgioPreload, APlaceholderWithoutADriveFailsLikeAnEmptyAddress) {
    sgio::LinuxScsiGenericDevices devices;
    sgio::OpenedScsiDevice device;
    ASSERT_EQ(sgio::OpenScsiDevice(devices, "/dev/sg1", device), DeviceError::None);
    const auto outcome = sgio::SendCommand(device, commands::TestUnitReady(), nullptr);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.error, DeviceError::None);
}

TEST(SgioPreload, WithoutRawIoTheVendorDownloadFailsWithEperm) {
    setenv("KTX_SGIO_NO_RAWIO", "1", 1);
    sgio::LinuxScsiGenericDevices devices;
    sgio::OpenedScsiDevice device;
    ASSERT_EQ(sgio::OpenScsiDevice(devices, "/dev/sg0", device), DeviceError::None);
    std::vector<unsigned char> block(0x4000);
    const auto download = sgio::SendCommand(device, commands::VendorDownload(1, 0, 0x4000, 0), block.data());
    unsetenv("KTX_SGIO_NO_RAWIO");
    EXPECT_EQ(download.error, DeviceError::NotPermitted);
    EXPECT_EQ(environment->Trace().find("CDB FD"), std::string::npos) << "the drive must not see it";
}

TEST(SgioPreload, OtherFilesKeepTheSystemsAnswers) {
    // A plain file that is not a placeholder reads as what it is; a device
    // that is not one goes to the real ioctl: the kernel's ENOTTY
    // (qemu-user's ENOSYS), read as the system's answer.
    const std::string plain = environment->folder + "/machine.cfg";
    sgio::LinuxScsiGenericDevices devices;
    sgio::OpenedScsiDevice device;
    EXPECT_EQ(sgio::OpenScsiDevice(devices, plain.c_str(), device), DeviceError::NotScsiGeneric);
    const char* path = "/dev/null";
    ASSERT_EQ(sgio::OpenScsiDevice(devices, path, device), DeviceError::None);
    const int said = SystemSgIoErrnoOnPlainFile(path);
    ASSERT_TRUE(IsSystemAnswerToSgIoOnPlainFile(said)) << said;
    EXPECT_EQ(sgio::SendCommand(device, commands::TestUnitReady(), nullptr).error, sgio::DeviceErrorFromErrno(said));
    sgio::OpenedScsiDevice missing;
    EXPECT_EQ(sgio::OpenScsiDevice(devices, "/dev/sg9", missing), DeviceError::NoSuchDevice);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    environment = new SimulatedDevFolder;
    ::testing::AddGlobalTestEnvironment(environment);
    return RUN_ALL_TESTS();
}
