// The simulated drive's Execute with a fuzzed configuration (peripheral
// byte, INQUIRY length, faults) and a fuzzed run of up to 32 commands: raw
// CDBs of any length with any direction and data length, READ/WRITE BUFFER
// built with fuzzed fields, and vendor download blocks of a fuzzed image,
// correct or with one byte damaged, so that whole downloads happen too.
// CDBs and data buffers are allocated at exactly their stated lengths, so
// any access beyond them is caught.
//
// Invariants: one trace line per command (two when an image goes in); the
// drive stops answering exactly after its vanish-after command and leaves
// exactly its never-complete command hanging; data-out buffers are never
// written; an image is installed only as the eight blocks sent for it, with
// their sum, and READ BUFFER mode 1 returns the installed image; the data
// buffer behaves like plain memory under WRITE BUFFER mode 7 / READ BUFFER
// mode 2.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "device/command_set.h"
#include "device/device_list.h"
#include "fuzz_support.h"

#include "simulated_drive.h"


namespace {

using Bytes = std::vector<std::uint8_t>;

FUZZ_UNTRACED __attribute__((noinline)) std::uint16_t Sum16(const std::uint8_t* data, std::size_t length) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < length; ++i) sum += data[i];
    return static_cast<std::uint16_t>(sum);
}

sim::DriveConfig MakeConfig(FuzzedDataProvider& input) {
    sim::DriveConfig config;
    config.peripheral = input.ConsumeIntegral<std::uint8_t>();
    config.inquiryLength = input.ConsumeIntegralInRange<std::uint8_t>(5, 255);
    config.capability10 = input.ConsumeIntegral<std::uint8_t>();
    config.capability11 = input.ConsumeIntegral<std::uint8_t>();
    config.image.assign(kImageSize, input.ConsumeIntegral<std::uint8_t>());
    const std::uint8_t faults = input.ConsumeIntegral<std::uint8_t>();
    if (faults & 0x01) {
        config.refuseBlock = input.ConsumeIntegralInRange<std::uint8_t>(1, 8);
        config.refuseBlockTimes = input.ConsumeIntegralInRange<std::uint32_t>(1, 3);
    }
    if (faults & 0x02) config.refuseFromBlock = input.ConsumeIntegralInRange<std::uint8_t>(1, 8);
    if (faults & 0x04) config.vanishAfterCommand = input.ConsumeIntegralInRange<std::uint32_t>(1, 32);
    if (faults & 0x08) config.neverCompleteCommand = input.ConsumeIntegralInRange<std::uint32_t>(1, 32);
    config.modeSenseFails = (faults & 0x10) != 0;
    config.notReady = (faults & 0x20) != 0;
    return config;
}

// One command with exactly sized buffers; `data` is null when asked for.
struct Request {
    Bytes cdb;
    sim::DataDirection direction = sim::DataDirection::None;
    std::uint32_t length = 0;
    bool withBuffer = true;
    Bytes data;  // data-out contents; resized to `length` before sending
};

Request FromCommand(const commands::Command& command) {
    Request request;
    request.cdb.assign(command.cdb.begin(), command.cdb.begin() + command.cdbLength);
    request.direction = command.direction == commands::Direction::In ? sim::DataDirection::In : sim::DataDirection::Out;
    request.length = command.transferLength;
    return request;
}

// What the harness knows the drive must hold: its image and data buffer.
struct Model {
    Bytes image;
    Bytes dataBuffer = Bytes(kImageSize, 0);
    Bytes download;  // the image the generated vendor blocks carry
    std::uint16_t downloadSum = 0;
    Bytes accepted = Bytes(kImageSize, 0);  // the latest accepted data of each block
};

Request Raw(FuzzedDataProvider& input) {
    Request request;
    request.cdb = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 16));
    request.direction = static_cast<sim::DataDirection>(input.ConsumeIntegralInRange(0, 2));
    request.length = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint32_t>(0, 256)
                                         : input.ConsumeIntegralInRange<std::uint32_t>(0, kImageSize + 16);
    request.withBuffer = input.ConsumeIntegralInRange(0, 7) != 0;
    return request;
}

Request Buffer(FuzzedDataProvider& input) {
    const int kind = input.ConsumeIntegralInRange(0, 2);
    const std::uint8_t id = input.ConsumeIntegralInRange<std::uint8_t>(0, 2);
    const std::uint16_t offset = input.ConsumeIntegral<std::uint16_t>();
    const std::uint16_t length = input.ConsumeIntegralInRange<std::uint16_t>(0, 4096);
    if (kind == 0) return FromCommand(commands::ReadBufferMode1(id, offset, length));
    if (kind == 1) return FromCommand(commands::ReadBufferMode2(id, offset, length));
    Request request = FromCommand(commands::WriteBufferMode7(id, offset, length));
    request.data = input.ConsumeBytes<std::uint8_t>(length);
    return request;
}

Request VendorBlock(FuzzedDataProvider& input, const Model& model) {
    const std::uint8_t block = input.ConsumeIntegralInRange<std::uint8_t>(0, 9);
    const std::size_t start = block >= 1 && block <= 8 ? (block - 1) * kBlockSize : 0;
    const std::uint8_t* data = model.download.data() + start;
    Request request =
        FromCommand(commands::VendorDownload(block, Sum16(data, kBlockSize), kBlockSize, model.downloadSum));
    request.data.assign(data, data + kBlockSize);
    // Now and then one byte of the CDB or the data is wrong.
    switch (input.ConsumeIntegralInRange(0, 7)) {
        case 0:
            request.cdb[input.ConsumeIntegralInRange<std::size_t>(0, 11)] ^= input.ConsumeIntegralInRange(1, 255);
            break;
        case 1: request.data[input.ConsumeIntegralInRange<std::size_t>(0, kBlockSize - 1)] ^= 0x01; break;
        default: break;
    }
    return request;
}

Request Identity(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: return FromCommand(commands::Inquiry(commands::Backend::Aspi));
        case 1: return FromCommand(commands::ModeSense(commands::Backend::PassThrough));
        case 2: return FromCommand(commands::TestUnitReady());
        default: return FromCommand(commands::WriteBufferMode4());
    }
}

// The image the generated vendor blocks carry: `pattern` over and over,
// with each block's first byte set to its number so that blocks differ.
Bytes DownloadImage(const Bytes& pattern) {
    Bytes image(kImageSize, 0);
    std::copy(pattern.begin(), pattern.end(), image.begin());
    for (std::size_t filled = pattern.size(); filled < kImageSize; filled *= 2)
        std::copy_n(image.begin(), std::min(filled, kImageSize - filled), image.begin() + filled);
    for (std::size_t block = 0; block < kImageSize / kBlockSize; ++block)
        image[block * kBlockSize] = static_cast<std::uint8_t>(block + 1);
    return image;
}

bool InRange(std::uint32_t start, std::uint32_t count) { return start <= kImageSize && count <= kImageSize - start; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider input(bytes, size);
    sim::Trace trace;
    const sim::DriveConfig config = MakeConfig(input);
    sim::SimulatedDrive drive(config, trace);

    Model model;
    model.image = config.image;
    Bytes pattern = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(1, 64));
    if (pattern.empty()) pattern.push_back(0);
    model.download = DownloadImage(pattern);
    model.downloadSum = Sum16(model.download.data(), kImageSize);

    for (std::uint32_t sequence = 1; sequence <= 32 && input.remaining_bytes() > 0; ++sequence) {
        Request request;
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: request = Raw(input); break;
            case 1: request = Buffer(input); break;
            case 2: request = VendorBlock(input, model); break;
            default: request = Identity(input); break;
        }
        const std::unique_ptr<std::uint8_t[]> cdb(new std::uint8_t[request.cdb.size()]);
        std::copy(request.cdb.begin(), request.cdb.end(), cdb.get());
        request.data.resize(request.length, 0xEE);
        const std::unique_ptr<std::uint8_t[]> data(request.withBuffer ? new std::uint8_t[request.length] : nullptr);
        if (data) std::copy(request.data.begin(), request.data.end(), data.get());

        const std::size_t linesBefore = trace.lines().size();
        const std::string revisionBefore = drive.revision();
        const sim::ScsiOutcome outcome = drive.Execute(request.cdb.empty() ? nullptr : cdb.get(), request.cdb.size(),
                                                       request.direction, data.get(), request.length);
        FUZZ_CHECK(drive.commandCount() == sequence);

        const bool vanished = config.vanishAfterCommand != 0 && sequence > config.vanishAfterCommand;
        FUZZ_CHECK((outcome == sim::ScsiOutcome::NoDevice) == vanished);
        FUZZ_CHECK((outcome == sim::ScsiOutcome::NeverCompletes) ==
                   (!vanished && sequence == config.neverCompleteCommand));
        if (request.direction == sim::DataDirection::Out && data)
            FUZZ_CHECK(std::equal(request.data.begin(), request.data.end(), data.get()));

        const bool vendorAccepted = outcome == sim::ScsiOutcome::Good && request.cdb.size() >= 12 &&
                                    request.cdb[0] == commands::kOpVendorDownload;
        if (vendorAccepted) {
            const std::uint8_t block = request.cdb[10];
            FUZZ_CHECK(block >= 1 && block <= 8 && data && request.length == kBlockSize &&
                       request.direction == sim::DataDirection::Out);
            FUZZ_CHECK(Sum16(data.get(), kBlockSize) == ((request.cdb[6] << 8) | request.cdb[7]));
            std::copy(data.get(), data.get() + kBlockSize, model.accepted.begin() + (block - 1) * kBlockSize);
        }

        const std::vector<std::string> lines = trace.lines();
        const bool installed = lines.size() == linesBefore + 2;
        FUZZ_CHECK(lines.size() == linesBefore + 1 || installed);
        if (installed) {
            FUZZ_CHECK(vendorAccepted && request.cdb[10] == 8);
            FUZZ_CHECK(lines.back().find(" installed image sum ") != std::string::npos);
            FUZZ_CHECK(drive.image() == model.accepted);
            FUZZ_CHECK(Sum16(model.accepted.data(), kImageSize) == ((request.cdb[8] << 8) | request.cdb[9]));
            FUZZ_CHECK(drive.revision() == "P1.3");
            model.image = model.accepted;
        } else {
            FUZZ_CHECK(drive.revision() == revisionBefore);
        }
        if (outcome != sim::ScsiOutcome::Good || request.cdb.size() < 10 || !data) continue;

        // Buffer commands the drive carried out, against the model.
        const std::uint8_t opcode = request.cdb[0], mode = request.cdb[1] & 0x1F;
        const std::uint32_t start = (std::uint32_t{request.cdb[2]} << 16) + (std::uint32_t{request.cdb[3]} << 16) +
                                    (std::uint32_t{request.cdb[4]} << 8) + request.cdb[5];
        const std::uint32_t count =
            (std::uint32_t{request.cdb[6]} << 16) + (std::uint32_t{request.cdb[7]} << 8) + request.cdb[8];
        if (opcode == commands::kOpReadBuffer && request.direction == sim::DataDirection::In) {
            FUZZ_CHECK(InRange(start, count));
            const Bytes& source = mode == 1 ? model.image : model.dataBuffer;
            const std::uint32_t returned = std::min(count, request.length);
            FUZZ_CHECK(std::equal(data.get(), data.get() + returned, source.begin() + start));
        }
        if (opcode == commands::kOpWriteBuffer && mode == 7) {
            FUZZ_CHECK(InRange(start, count) && count == request.length);
            std::copy(data.get(), data.get() + count, model.dataBuffer.begin() + start);
        }
    }
    // No command but an installing one changed the image (checked once, as copies are large).
    FUZZ_CHECK(drive.image() == model.image);
    return 0;
}
