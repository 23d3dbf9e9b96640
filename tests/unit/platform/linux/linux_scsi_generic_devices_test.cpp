// The kernel side of the seam on this machine's file system: the listing
// of sg nodes, opening, and what errno values read as for users.

#include "platform/linux/linux_scsi_generic_devices.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "device/sg_io_transport.h"
#include "system_sg_io_answer.h"

namespace {

using sgio::DeviceError;

class DeviceFolder {
public:
    DeviceFolder() {
        char pattern[] = "/tmp/ktx_sg_test_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~DeviceFolder() { std::filesystem::remove_all(path_); }
    void Add(const std::string& name) { std::fclose(std::fopen((path_ + "/" + name).c_str(), "w")); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::vector<std::string> Listed(sgio::ScsiGenericDevices& devices, std::size_t capacity) {
    std::vector<sgio::DevicePath> paths(capacity + 1);
    const std::size_t count = devices.List(paths.data(), capacity);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) names.push_back(paths[i].text);
    return names;
}

TEST(LinuxScsiGenericDevices, ListsSgNodesInNumericOrderAndNothingElse) {
    DeviceFolder folder;
    for (const char* name : {"sg10", "sg2", "sg1", "sg", "sgx", "sg3a", "sr0", "sg1234567", "notsg4"}) folder.Add(name);
    sgio::LinuxScsiGenericDevices devices(folder.path().c_str());
    const std::string d = folder.path();
    EXPECT_EQ(Listed(devices, 8), (std::vector<std::string>{d + "/sg1", d + "/sg2", d + "/sg10"}));
    // A short list keeps the lowest numbers.
    EXPECT_EQ(Listed(devices, 2), (std::vector<std::string>{d + "/sg1", d + "/sg2"}));
}

TEST(LinuxScsiGenericDevices, AnEmptyOrMissingFolderListsNothing) {
    DeviceFolder folder;
    sgio::LinuxScsiGenericDevices empty(folder.path().c_str());
    EXPECT_TRUE(Listed(empty, 4).empty());
    sgio::LinuxScsiGenericDevices missing((folder.path() + "/none").c_str());
    EXPECT_TRUE(Listed(missing, 4).empty());
}

// The path is looked at before it is opened: what it names decides the
// words, for root and for any other user alike (a file without any rights
// reads as what it is, not as a refusal).
TEST(LinuxScsiGenericDevices, EachKindOfPathHasItsOwnError) {
    DeviceFolder folder;
    const std::string d = folder.path();
    folder.Add("plain");
    folder.Add("locked");
    std::filesystem::permissions(d + "/locked", std::filesystem::perms::none);
    std::filesystem::create_directory(d + "/folder");
    std::filesystem::create_symlink("/dev/null", d + "/null");
    sgio::LinuxScsiGenericDevices devices(d.c_str());
    const struct {
        std::string path;
        DeviceError error;
    } cases[] = {
        {d + "/sg5", DeviceError::NoSuchDevice},
        {d + "/plain/sg0", DeviceError::NoSuchDevice},  // through a file: ENOTDIR
        {d + "/folder", DeviceError::IsDirectory},
        {d + "/folder/", DeviceError::IsDirectory},
        {d + "/plain", DeviceError::NotScsiGeneric},
        {d + "/locked", DeviceError::NotScsiGeneric},
        {d + "/null", DeviceError::None},  // a character device opens
    };
    for (const auto& c : cases) {
        sgio::OpenedScsiDevice device;
        EXPECT_EQ(sgio::OpenScsiDevice(devices, c.path.c_str(), device), c.error) << c.path;
        EXPECT_EQ(sgio::OpenScsiDevice(devices, c.path.c_str(), device, true), c.error) << c.path << " (exclusive)";
        EXPECT_EQ(device.isOpen(), c.error == DeviceError::None) << c.path;
    }

    // A device that takes no SG_IO: the kernel answers ENOTTY (qemu-user
    // ENOSYS), and the outcome reads as that answer.
    sgio::OpenedScsiDevice device;
    ASSERT_EQ(sgio::OpenScsiDevice(devices, "/dev/null", device), DeviceError::None);
    const auto outcome = sgio::SendCommand(device, commands::TestUnitReady(), nullptr);
    EXPECT_FALSE(outcome.succeeded);
    const int said = SystemSgIoErrnoOnPlainFile("/dev/null");
    ASSERT_TRUE(IsSystemAnswerToSgIoOnPlainFile(said)) << said;
    EXPECT_EQ(outcome.error, sgio::DeviceErrorFromErrno(said));
}

// Whether the device is still there and how much it takes in one command,
// read from a sysfs laid out in a folder, without opening the device.
TEST(LinuxScsiGenericDevices, SysfsTellsWhetherTheDeviceIsThereAndItsTransferLimit) {
    DeviceFolder folder;
    const std::string d = folder.path();
    for (const char* name : {"sg0", "sg1", "sg2", "sr0"}) std::filesystem::create_symlink("/dev/null", d + "/" + name);
    const std::string sysfs = d + "/class";
    auto write = [&](const std::string& file, const char* text) {
        std::filesystem::create_directories(std::filesystem::path(sysfs + "/" + file).parent_path());
        FILE* out = std::fopen((sysfs + "/" + file).c_str(), "w");
        std::fputs(text, out);
        std::fclose(out);
    };
    write("sg0/device/state", "running\n");
    write("sg0/device/block/sr0/queue/max_hw_sectors_kb", "8\n");
    write("sg0/device/max_sectors", "240\n");
    write("sg1/device/state", "offline\n");
    write("sg1/device/max_sectors", "16\n");  // usb-storage's, in 512-byte sectors
    sgio::LinuxScsiGenericDevices devices(d.c_str(), sysfs.c_str());

    const struct {
        const char* node;
        bool there;
        std::uint32_t limit;
        sgio::TransferLimitSource source;
    } cases[] = {
        {"sg0", true, 8 * 1024, sgio::TransferLimitSource::Queue},
        {"sg1", false, 16 * 512, sgio::TransferLimitSource::UsbStorage},
        {"sg2", false, 0, sgio::TransferLimitSource::None},  // sysfs lists it no more
        {"sg7", false, 0, sgio::TransferLimitSource::None},  // its node is gone
        {"sr0", true, 0, sgio::TransferLimitSource::None},   // not an sg node: nothing to read
    };
    for (const auto& c : cases) {
        const std::string path = d + "/" + c.node;
        EXPECT_EQ(devices.StillThere(path.c_str()), c.there) << c.node;
        const sgio::TransferLimit limit = devices.ReadTransferLimit(path.c_str());
        EXPECT_EQ(limit.bytes, c.limit) << c.node;
        EXPECT_EQ(limit.source, c.source) << c.node;
    }
    // Without the class folder in sysfs nothing says it went: still there.
    sgio::LinuxScsiGenericDevices noSysfs(d.c_str(), (d + "/none").c_str());
    EXPECT_TRUE(noSysfs.StillThere((d + "/sg2").c_str()));
}

// How many of this process's descriptors are open on `path`.
int DescriptorsOn(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (std::filesystem::read_symlink(entry.path(), error) == path) ++count;
    }
    return count;
}

TEST(LinuxScsiGenericDevices, TheExclusiveOpenHoldsTheBlockDeviceSysfsNamesUntilTheClose) {
    DeviceFolder folder;
    // The sg nodes stand in as links to a character device that opens.
    std::filesystem::create_symlink("/dev/null", folder.path() + "/sg0");
    std::filesystem::create_symlink("/dev/null", folder.path() + "/sg1");
    folder.Add("sr3");
    // sysfs links sg0 to its block device sr3; sg1 has none.
    std::filesystem::create_directories(folder.path() + "/class/sg0/device/block/sr3");
    sgio::LinuxScsiGenericDevices devices(folder.path().c_str(), (folder.path() + "/class").c_str());
    const std::string blockDevice = folder.path() + "/sr3";
    DeviceError error = DeviceError::Other;

    const int plain = devices.Open((folder.path() + "/sg0").c_str(), error);
    ASSERT_NE(plain, sgio::ScsiGenericDevices::kNoHandle);
    EXPECT_EQ(DescriptorsOn(blockDevice), 0) << "only the download's exclusive open holds it";
    devices.Close(plain);

    const int exclusive = devices.OpenExclusive((folder.path() + "/sg0").c_str(), error);
    ASSERT_NE(exclusive, sgio::ScsiGenericDevices::kNoHandle);
    EXPECT_EQ(error, DeviceError::None);
    EXPECT_EQ(DescriptorsOn(blockDevice), 1);
    devices.Close(exclusive);
    EXPECT_EQ(DescriptorsOn(blockDevice), 0);

    const int withoutBlock = devices.OpenExclusive((folder.path() + "/sg1").c_str(), error);
    EXPECT_NE(withoutBlock, sgio::ScsiGenericDevices::kNoHandle) << "a device without a block device opens alone";
    devices.Close(withoutBlock);
}

TEST(LinuxScsiGenericDevices, ErrnoValuesReadAsWhatUsersMeet) {
    EXPECT_EQ(sgio::DeviceErrorFromErrno(ENOENT), DeviceError::NoSuchDevice);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EACCES), DeviceError::AccessDenied);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EPERM), DeviceError::NotPermitted);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EBUSY), DeviceError::Busy);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(ENODEV), DeviceError::Gone);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(ENXIO), DeviceError::Gone);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(ENOTTY), DeviceError::NotScsiGeneric);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EISDIR), DeviceError::IsDirectory);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(ENOTDIR), DeviceError::NoSuchDevice);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EINVAL), DeviceError::TransferTooLong);
    EXPECT_EQ(sgio::DeviceErrorFromErrno(EIO), DeviceError::Other);
}

TEST(DeviceErrorText, EveryErrorHasItsOwnOneLineAdvice) {
    const DeviceError errors[] = {DeviceError::NoDevices,      DeviceError::NoSuchDevice, DeviceError::AccessDenied,
                                  DeviceError::NotPermitted,   DeviceError::Busy,         DeviceError::Gone,
                                  DeviceError::NotScsiGeneric, DeviceError::Other,        DeviceError::IsDirectory,
                                  DeviceError::TransferTooLong};
    std::set<std::string> texts;
    for (DeviceError error : errors) {
        const std::string text = sgio::DeviceErrorText(error);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size(errors));
    EXPECT_STREQ(sgio::DeviceErrorText(DeviceError::None), "");

    const std::string noDevices = sgio::DeviceErrorText(DeviceError::NoDevices);
    EXPECT_NE(noDevices.find("the sg driver is not loaded"), std::string::npos);
    EXPECT_NE(noDevices.find("modprobe sg"), std::string::npos);
    const std::string denied = sgio::DeviceErrorText(DeviceError::AccessDenied);
    EXPECT_NE(denied.find("group"), std::string::npos);
    EXPECT_NE(denied.find("root"), std::string::npos);
    const std::string notPermitted = sgio::DeviceErrorText(DeviceError::NotPermitted);
    EXPECT_NE(notPermitted.find("CAP_SYS_RAWIO"), std::string::npos);
    EXPECT_NE(notPermitted.find("listing and saving work"), std::string::npos);
}

}  // namespace
