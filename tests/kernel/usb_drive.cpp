// The simulated drive as a USB mass-storage device, for the guest kernel's
// own USB and SCSI stacks: a FunctionFS function (interface class 08h,
// subclass 06h SCSI transparent, protocol 50h Bulk-Only) that serves the
// first drive of a machine configuration file.
//
//   ktxusbdrive FUNCTIONFS_DIR MACHINE_CONFIG
//
// FUNCTIONFS_DIR is a mounted functionfs instance; once the descriptors are
// written its ep1 (bulk IN) and ep2 (bulk OUT) exist and the gadget can be
// bound to a UDC. ep0 answers GET MAX LUN and the Bulk-Only reset; the bulk
// pipes carry CBW, data and CSW. The drive writes its trace as configured.
// Runs until killed; a disconnect (the gadget unbound) only makes the
// pending transfer fail, and serving resumes once the gadget is bound again.

#include <endian.h>
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "simulated_machine.h"

namespace {

constexpr std::uint32_t kCbwSignature = 0x43425355;  // "USBC"
constexpr std::uint32_t kCswSignature = 0x53425355;  // "USBS"
constexpr std::size_t kCbwLength = 31, kCswLength = 13;
constexpr std::uint8_t kCswPassed = 0, kCswFailed = 1, kCswPhaseError = 2;
constexpr std::uint8_t kGetMaxLun = 0xFE, kBulkOnlyReset = 0xFF;

struct __attribute__((packed)) Endpoints {
    usb_interface_descriptor interface;
    usb_endpoint_descriptor_no_audio in, out;
};

struct __attribute__((packed)) Descriptors {
    usb_functionfs_descs_head_v2 header;
    std::uint32_t fsCount, hsCount;
    Endpoints fullSpeed, highSpeed;
};

Endpoints MassStorageEndpoints(std::uint16_t maxPacket) {
    Endpoints e{};
    e.interface = {USB_DT_INTERFACE_SIZE, USB_DT_INTERFACE, 0, 0, 2, USB_CLASS_MASS_STORAGE, 0x06, 0x50, 1};
    e.in = {USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, 1 | USB_DIR_IN, USB_ENDPOINT_XFER_BULK, htole16(maxPacket), 0};
    e.out = {USB_DT_ENDPOINT_SIZE, USB_DT_ENDPOINT, 2 | USB_DIR_OUT, USB_ENDPOINT_XFER_BULK, htole16(maxPacket), 0};
    return e;
}

bool WriteAll(int fd, const void* data, std::size_t length, const char* what) {
    const ssize_t n = write(fd, data, length);
    if (n == static_cast<ssize_t>(length)) return true;
    std::fprintf(stderr, "ktxusbdrive: %s: %s\n", what, n < 0 ? std::strerror(errno) : "short write");
    return false;
}

bool WriteDescriptorsAndStrings(int ep0) {
    Descriptors d{};
    d.header.magic = htole32(FUNCTIONFS_DESCRIPTORS_MAGIC_V2);
    d.header.length = htole32(sizeof d);
    d.header.flags = htole32(FUNCTIONFS_HAS_FS_DESC | FUNCTIONFS_HAS_HS_DESC);
    d.fsCount = htole32(3);
    d.hsCount = htole32(3);
    d.fullSpeed = MassStorageEndpoints(64);
    d.highSpeed = MassStorageEndpoints(512);
    if (!WriteAll(ep0, &d, sizeof d, "descriptors")) return false;

    static const char kInterfaceName[] = "KTX7724R05 (simulated)";
    struct __attribute__((packed)) {
        usb_functionfs_strings_head header;
        std::uint16_t language;
        char name[sizeof kInterfaceName];
    } s{};
    s.header = {htole32(FUNCTIONFS_STRINGS_MAGIC), htole32(sizeof s), htole32(1), htole32(1)};
    s.language = htole16(0x0409);
    std::memcpy(s.name, kInterfaceName, sizeof kInterfaceName);
    return WriteAll(ep0, &s, sizeof s, "strings");
}

// ep0: GET MAX LUN answers 0 (one LUN); the Bulk-Only reset is acknowledged
// (the bulk loop starts over with the next CBW by itself); anything else
// addressed to the function is stalled.
void ServeControl(int ep0) {
    usb_functionfs_event events[4];
    for (;;) {
        const ssize_t n = read(ep0, events, sizeof events);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr, "ktxusbdrive: ep0: %s\n", std::strerror(errno));
            return;
        }
        for (ssize_t i = 0; i < n / static_cast<ssize_t>(sizeof events[0]); ++i) {
            if (events[i].type != FUNCTIONFS_SETUP) continue;
            const usb_ctrlrequest& setup = events[i].u.setup;
            const bool in = (setup.bRequestType & USB_DIR_IN) != 0;
            const bool classRequest = (setup.bRequestType & USB_TYPE_MASK) == USB_TYPE_CLASS;
            if (classRequest && in && setup.bRequest == kGetMaxLun) {
                const std::uint8_t maxLun = 0;
                if (write(ep0, &maxLun, 1) < 0) std::perror("ktxusbdrive: GET MAX LUN");
            } else if (classRequest && !in && setup.bRequest == kBulkOnlyReset) {
                std::fprintf(stderr, "ktxusbdrive: Bulk-Only reset\n");
                if (read(ep0, nullptr, 0) < 0) std::perror("ktxusbdrive: reset");
            } else if (in) {
                (void)!read(ep0, nullptr, 0);  // the opposite direction stalls
            } else {
                (void)!write(ep0, nullptr, 0);
            }
        }
    }
}

std::uint32_t Le32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return le32toh(v);
}

void PutLe32(std::uint8_t* p, std::uint32_t value) {
    value = htole32(value);
    std::memcpy(p, &value, 4);
}

bool SendCsw(int in, std::uint32_t tag, std::uint32_t residue, std::uint8_t status) {
    std::uint8_t csw[kCswLength] = {};
    PutLe32(csw, kCswSignature);
    PutLe32(csw + 4, tag);
    PutLe32(csw + 8, residue);
    csw[12] = status;
    return WriteAll(in, csw, sizeof csw, "CSW");
}

// Receives `length` bytes of a data-out phase; false when the transfer broke.
bool ReceiveData(int out, std::uint8_t* data, std::uint32_t length) {
    for (std::uint32_t got = 0; got < length;) {
        const ssize_t n = read(out, data + got, length - got);
        if (n <= 0) {
            std::fprintf(stderr, "ktxusbdrive: data out: %s\n", n < 0 ? std::strerror(errno) : "ended early");
            return false;
        }
        got += static_cast<std::uint32_t>(n);
    }
    return true;
}

// One command: CBW, data phase in the CBW's direction, drive, CSW.
void ServeCommand(sim::SimulatedDrive& drive, int in, int out, const std::uint8_t* cbw) {
    const std::uint32_t tag = Le32(cbw + 4), length = Le32(cbw + 8);
    const bool dataIn = (cbw[12] & 0x80) != 0;
    const std::uint8_t cdbLength = cbw[14];
    if (cdbLength < 1 || cdbLength > 16) {
        SendCsw(in, tag, length, kCswPhaseError);
        return;
    }
    const sim::DataDirection direction =
        length == 0 ? sim::DataDirection::None : (dataIn ? sim::DataDirection::In : sim::DataDirection::Out);
    std::vector<std::uint8_t> data(length);
    if (direction == sim::DataDirection::Out && !ReceiveData(out, data.data(), length)) return;

    const sim::ScsiOutcome outcome = drive.Execute(cbw + 15, cdbLength, direction, data.data(), length);
    if (outcome == sim::ScsiOutcome::NoDevice || outcome == sim::ScsiOutcome::NeverCompletes) return;

    // A good data-in command sends the whole length the host asked for: what
    // the drive had to give, then the zeros the buffer was filled with.
    // A failed one sends nothing and halts IN, which ends the data phase.
    const bool passed = outcome == sim::ScsiOutcome::Good;
    if (direction == sim::DataDirection::In) {
        if (passed && !WriteAll(in, data.data(), length, "data in")) return;
        if (!passed) (void)!read(in, nullptr, 0);
    }
    const std::uint32_t residue = passed ? 0 : length;
    SendCsw(in, tag, residue, passed ? kCswPassed : kCswFailed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ktxusbdrive FUNCTIONFS_DIR MACHINE_CONFIG\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::unique_ptr<sim::SimulatedMachine> machine;
    std::string error;
    if (!sim::SimulatedMachine::LoadFile(argv[2], machine, error) || machine->drives().empty()) {
        std::fprintf(stderr, "ktxusbdrive: %s\n", error.empty() ? "no [drive] in the configuration" : error.c_str());
        return 2;
    }
    sim::SimulatedDrive& drive = *machine->drives().front();

    const int ep0 = open((dir + "/ep0").c_str(), O_RDWR);
    if (ep0 < 0 || !WriteDescriptorsAndStrings(ep0)) {
        std::fprintf(stderr, "ktxusbdrive: %s/ep0: %s\n", dir.c_str(), std::strerror(errno));
        return 1;
    }
    const int in = open((dir + "/ep1").c_str(), O_RDWR), out = open((dir + "/ep2").c_str(), O_RDWR);
    if (in < 0 || out < 0) {
        std::fprintf(stderr, "ktxusbdrive: the bulk endpoints: %s\n", std::strerror(errno));
        return 1;
    }
    std::thread(ServeControl, ep0).detach();

    std::uint8_t cbw[512];
    for (;;) {
        const ssize_t n = read(out, cbw, sizeof cbw);
        if (n < 0) {
            // Unbound, reset or halted: wait for the next CBW.
            if (errno != EINTR) usleep(10000);
            continue;
        }
        if (n != static_cast<ssize_t>(kCbwLength) || Le32(cbw) != kCbwSignature) {
            std::fprintf(stderr, "ktxusbdrive: not a CBW (%zd bytes)\n", n);
            continue;
        }
        ServeCommand(drive, in, out, cbw);
    }
}
