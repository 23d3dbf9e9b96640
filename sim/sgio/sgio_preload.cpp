// libktx_sgio_preload.so: preloaded (LD_PRELOAD) into a program, it answers
// SG_IO on placeholder files with the simulated drives of the machine that
// KTX_SIM_CONFIG describes, so the program's real open/ioctl code runs
// against them without a drive or a kernel driver.
//
//   KTX_SIM_CONFIG      the simulated machine (as for the other simulators)
//   KTX_SIM_TRACE       where the trace goes when the configuration says not
//   KTX_SGIO_DIR        folder of placeholder files named sg0, sg1, ...;
//                       placeholder sgN is the N-th drive of the
//                       configuration (none: nothing answers there).
//                       opendir("/dev") lists this folder instead, and
//                       opening /dev/sgN opens the placeholder sgN (and
//                       /dev/srN the placeholder srN, a drive's block
//                       device). The sg class folder of sysfs,
//                       /sys/class/scsi_generic, is the folder "sysfs" in
//                       it: a test links sgN to its block device by making
//                       sysfs/sgN/device/block/srN there.
//   KTX_SGIO_NO_RAWIO   when 1, act as for a process without CAP_SYS_RAWIO:
//                       commands other than the read-safe ones fail with EPERM.
//   KTX_SGIO_HELD       when 1, another program has every drive open: an
//                       exclusive open (O_EXCL) of /dev/sgN fails with EBUSY;
//                       when "block", a disc is mounted: the same for /dev/srN.
//   KTX_SGIO_VANISH     when "unplug", a drive that vanishes (its vanish-after
//                       fault) is taken away as the kernel does on unplugging:
//                       its sysfs folder sysfs/sgN goes, and every later
//                       SG_IO on it fails with ENODEV.
//   KTX_SGIO_LATE_BLOCK "N:MS": the first vendor download command of block N
//                       is answered only after MS milliseconds.
//
// Placeholders sgN read as character devices to fstat, as the kernel's sg
// nodes are.
//
// Every other open, opendir and ioctl goes to the C library unchanged.
//
// A 32-bit program built with 64-bit time (Wine is) calls glibc's
// __ioctl_time64 instead of ioctl, so the 32-bit library defines that name
// too. Neither <sys/ioctl.h> nor the large-file and 64-bit-time switches
// may reach this file: they would rename the functions defined here (open
// would become a second open64); the placeholders are examined with the
// 64-bit stat and readdir calls instead.
#undef _FILE_OFFSET_BITS
#undef _TIME_BITS

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "configured_machine.h"
#include "platform/scsi_generic_devices.h"
#include "simulated_sg_io.h"

namespace {

const char* PlaceholderDir() {
    const char* dir = std::getenv("KTX_SGIO_DIR");
    return dir != nullptr && dir[0] != '\0' ? dir : nullptr;
}

// The number of an sg node's name, else -1.
long SgNumber(const char* name) {
    unsigned number = 0;
    return sgio::ScsiGenericNodeNumber(name, number) ? static_cast<long>(number) : -1;
}

// The number of a block device node's name ("sr0"), else -1.
long SrNumber(const char* name) {
    if (name[0] != 's' || name[1] != 'r' || name[2] == '\0') return -1;
    long number = 0;
    for (const char* digit = name + 2; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || number > 100000) return -1;
        number = number * 10 + (*digit - '0');
    }
    return number;
}

constexpr char kSysfsClass[] = "/sys/class/scsi_generic";

// What a redirected path names.
enum class Node { Other, Sg, Sr, Sysfs };

Node NodeOf(const char* path) {
    if (path == nullptr) return Node::Other;
    if (std::strncmp(path, "/dev/", 5) == 0) {
        if (SgNumber(path + 5) >= 0) return Node::Sg;
        if (SrNumber(path + 5) >= 0) return Node::Sr;
        return Node::Other;
    }
    const std::size_t classLength = sizeof kSysfsClass - 1;
    if (std::strncmp(path, kSysfsClass, classLength) == 0 && (path[classLength] == '/' || path[classLength] == '\0'))
        return Node::Sysfs;
    return Node::Other;
}

// "/dev/sgN" and "/dev/srN" rewritten to their placeholders, sysfs's sg
// class folder to the placeholders' "sysfs"; the path itself otherwise.
std::string Redirected(const char* path) {
    const char* dir = PlaceholderDir();
    const Node node = NodeOf(path);
    if (dir == nullptr || node == Node::Other) return path != nullptr ? path : "";
    if (node == Node::Sysfs) return std::string(dir) + "/sysfs" + (path + sizeof kSysfsClass - 1);
    return std::string(dir) + "/" + (path + 5);
}

// True (with errno EBUSY) for an exclusive open of a placeholder that
// KTX_SGIO_HELD says another program has open: sg nodes for "1", block
// devices for "block".
bool HeldByAnother(const char* path, int flags) {
    const char* held = std::getenv("KTX_SGIO_HELD");
    if (held == nullptr || (flags & O_EXCL) == 0 || PlaceholderDir() == nullptr) return false;
    const Node node = NodeOf(path);
    const bool busy = (std::strcmp(held, "1") == 0 && node == Node::Sg) ||
                      (std::strcmp(held, "block") == 0 && node == Node::Sr);
    if (!busy) return false;
    errno = EBUSY;
    return true;
}

bool IsDevDirectory(const char* path) {
    return path != nullptr && (std::strcmp(path, "/dev") == 0 || std::strcmp(path, "/dev/") == 0);
}

template <typename Function>
Function Next(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

int RealFstat64(int fd, struct stat64* status) {
    using Fstat64Function = int (*)(int, struct stat64*);
    static const auto realFstat64 = Next<Fstat64Function>("fstat64");
    return realFstat64(fd, status);
}

// The placeholder number of the file open on `fd`, or -1 when it is none.
long PlaceholderNumber(int fd) {
    const char* dir = PlaceholderDir();
    struct stat64 opened;
    if (dir == nullptr || RealFstat64(fd, &opened) != 0) return -1;
    using OpendirFunction = DIR* (*)(const char*);
    static const auto realOpendir = Next<OpendirFunction>("opendir");
    DIR* folder = realOpendir(dir);
    if (folder == nullptr) return -1;
    long found = -1;
    while (const dirent64* entry = readdir64(folder)) {
        const long number = SgNumber(entry->d_name);
        struct stat64 placeholder;
        if (number >= 0 && stat64((std::string(dir) + "/" + entry->d_name).c_str(), &placeholder) == 0 &&
            placeholder.st_dev == opened.st_dev && placeholder.st_ino == opened.st_ino) {
            found = number;
            break;
        }
    }
    closedir(folder);
    return found;
}

sim::SimulatedMachine& Machine() {
    static const std::unique_ptr<sim::SimulatedMachine> machine = [] {
        const char* config = std::getenv(sim::kConfigVariable);
        const char* trace = std::getenv(sim::kTraceVariable);
        std::string whyNoAdapters;
        return sim::LoadConfiguredMachine(config != nullptr ? config : "", trace != nullptr ? trace : "",
                                          "sgio", whyNoAdapters);
    }();
    return *machine;
}

// The drives taken away by KTX_SGIO_VANISH=unplug.
std::set<long>& Unplugged() {
    static std::set<long> numbers;
    return numbers;
}

void Unplug(long number) {
    Unplugged().insert(number);
    std::error_code ignored;
    std::filesystem::remove_all(std::string(PlaceholderDir()) + "/sysfs/sg" + std::to_string(number), ignored);
}

// KTX_SGIO_LATE_BLOCK: waits once before the download command of its block.
void DelayLateBlock(const sgio::SgIoHeader& request) {
    static bool delayed = false;
    const char* setting = std::getenv("KTX_SGIO_LATE_BLOCK");
    unsigned block = 0;
    unsigned ms = 0;
    if (delayed || setting == nullptr || std::sscanf(setting, "%u:%u", &block, &ms) != 2) return;
    if (request.cmdp == nullptr || request.cmd_len < 11 || request.cmdp[0] != 0xFD || request.cmdp[10] != block) return;
    delayed = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int AnswerPlaceholder(long number, void* argument) {
    auto* request = static_cast<sgio::SgIoHeader*>(argument);
    if (request == nullptr) {
        errno = EFAULT;
        return -1;
    }
    // The sg driver refuses every request to a device being removed.
    if (Unplugged().count(number) != 0) {
        errno = ENODEV;
        return -1;
    }
    const auto drives = Machine().drives();
    sim::ScsiTarget* target = static_cast<std::size_t>(number) < drives.size() ? drives[number] : nullptr;
    const char* noRawIo = std::getenv("KTX_SGIO_NO_RAWIO");
    const bool mayUseRawIo = noRawIo == nullptr || std::strcmp(noRawIo, "1") != 0;
    DelayLateBlock(*request);
    const int error = sim::AnswerSgIo(target, *request, mayUseRawIo);
    if (error != 0) {
        errno = error;
        return -1;
    }
    const char* vanish = std::getenv("KTX_SGIO_VANISH");
    if (target != nullptr && request->host_status == sim::kHostNoConnect && vanish != nullptr &&
        std::strcmp(vanish, "unplug") == 0)
        Unplug(number);
    return 0;
}

using IoctlFunction = int (*)(int, unsigned long, ...);

// SG_IO on a placeholder is answered here; everything else goes on to `real`.
int AnswerOrForward(IoctlFunction real, int fd, unsigned long request, void* argument) {
    if (request == sgio::kSgIo) {
        const long number = PlaceholderNumber(fd);
        if (number >= 0) return AnswerPlaceholder(number, argument);
    }
    if (real == nullptr) {
        errno = ENOSYS;
        return -1;
    }
    return real(fd, request, argument);
}

// The mode argument exists only when the flags create a file.
mode_t ModeArgument(int flags, va_list& arguments) {
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) return static_cast<mode_t>(va_arg(arguments, int));
    return 0;
}

}  // namespace

#define KTX_EXPORTED __attribute__((visibility("default")))

extern "C" {

KTX_EXPORTED int ioctl(int fd, unsigned long request, ...) {
    static const auto realIoctl = Next<IoctlFunction>("ioctl");
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    return AnswerOrForward(realIoctl, fd, request, argument);
}

#if __SIZEOF_POINTER__ == 4
KTX_EXPORTED int __ioctl_time64(int fd, unsigned long request, ...) {
    static const auto realIoctl = Next<IoctlFunction>("__ioctl_time64");
    va_list arguments;
    va_start(arguments, request);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    return AnswerOrForward(realIoctl, fd, request, argument);
}
#endif

KTX_EXPORTED int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    using OpenFunction = int (*)(const char*, int, ...);
    static const auto realOpen = Next<OpenFunction>("open");
    if (HeldByAnother(path, flags)) return -1;
    return realOpen(Redirected(path).c_str(), flags, mode);
}

KTX_EXPORTED int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    using OpenFunction = int (*)(const char*, int, ...);
    static const auto realOpen = Next<OpenFunction>("open64");
    if (HeldByAnother(path, flags)) return -1;
    return realOpen(Redirected(path).c_str(), flags, mode);
}

KTX_EXPORTED int openat(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    using OpenatFunction = int (*)(int, const char*, int, ...);
    static const auto realOpenat = Next<OpenatFunction>("openat");
    return realOpenat(dirfd, Redirected(path).c_str(), flags, mode);
}

KTX_EXPORTED int openat64(int dirfd, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeArgument(flags, arguments);
    va_end(arguments);
    using OpenatFunction = int (*)(int, const char*, int, ...);
    static const auto realOpenat = Next<OpenatFunction>("openat64");
    return realOpenat(dirfd, Redirected(path).c_str(), flags, mode);
}

// A placeholder sgN is a character device, as the sg node it stands for.
KTX_EXPORTED int fstat64(int fd, struct stat64* status) noexcept {
    const int result = RealFstat64(fd, status);
    if (result == 0 && PlaceholderNumber(fd) >= 0) status->st_mode = (status->st_mode & ~S_IFMT) | S_IFCHR;
    return result;
}

KTX_EXPORTED int fstat(int fd, struct stat* status) noexcept {
    using FstatFunction = int (*)(int, struct stat*);
    static const auto realFstat = Next<FstatFunction>("fstat");
    const int result = realFstat(fd, status);
    if (result == 0 && PlaceholderNumber(fd) >= 0) status->st_mode = (status->st_mode & ~S_IFMT) | S_IFCHR;
    return result;
}

KTX_EXPORTED DIR* opendir(const char* path) {
    using OpendirFunction = DIR* (*)(const char*);
    static const auto realOpendir = Next<OpendirFunction>("opendir");
    const char* dir = PlaceholderDir();
    if (dir != nullptr && IsDevDirectory(path)) return realOpendir(dir);
    return realOpendir(Redirected(path).c_str());
}

}  // extern "C"
