// The simulated NT storage stack's DeviceIoControl with fuzzed pass-through
// requests: fuzzed header fields (some nudged towards the accepted values so
// that requests get through), fuzzed input and output lengths, separate or
// shared buffers, null buffers, unknown codes and handles, over a simulated
// drive at E:, a hard disk at C: and a handle opened read-only. Buffers are
// allocated at exactly their lengths; a direct request's DataBuffer points at
// a buffer of exactly DataTransferLength bytes (or is null).
//
// Invariants: a call succeeds only with error 0 and only when the request
// reached the device; it reaches the device exactly when an independent
// reading of the request's rules says it is well formed; a refused request
// changes no byte of the caller's buffers and sends the drive nothing; a
// separate input buffer and a data-out buffer are never written; the output
// takes back no more than the header and, for good data-in, the data area;
// the call record matches the call.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "device/device_list.h"
#include "fuzz_support.h"

#include "nt_errors.h"

#include "platform/pass_through_records.h"
#include "simulated_machine.h"

#include "simulated_nt_storage.h"


namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kHeaderSize = sizeof(passthrough::ScsiPassThrough);
static_assert(sizeof(passthrough::ScsiPassThroughDirect) == kHeaderSize, "both headers alike in size");
// Buffers take at most this many bytes from the input; a fixed byte fills the rest.
constexpr std::uint32_t kFilledBytes = 512;

// The header fields both forms share, filled from the input; some of them
// are set to accepted values on the input's say-so.
template <typename Header>
void FillHeader(Header& header, FuzzedDataProvider& input) {
    const std::uint8_t nudge = input.ConsumeIntegral<std::uint8_t>();
    header.Length = (nudge & 0x01) ? input.ConsumeIntegral<std::uint16_t>() : kHeaderSize;
    header.ScsiStatus = input.ConsumeIntegral<std::uint8_t>();
    header.PathId = input.ConsumeIntegral<std::uint8_t>();
    header.TargetId = input.ConsumeIntegral<std::uint8_t>();
    header.Lun = input.ConsumeIntegral<std::uint8_t>();
    header.CdbLength = (nudge & 0x02) ? input.ConsumeIntegral<std::uint8_t>() : input.ConsumeIntegralInRange(0, 16);
    header.SenseInfoLength = (nudge & 0x04) ? input.ConsumeIntegral<std::uint8_t>() : 0;
    header.DataIn = (nudge & 0x08) ? input.ConsumeIntegral<std::uint8_t>() : input.ConsumeIntegralInRange(0, 2);
    header.DataTransferLength = (nudge & 0x10) ? input.ConsumeIntegral<std::uint32_t>()
                                               : input.ConsumeIntegralInRange<std::uint32_t>(0, 0x10001);
    header.TimeOutValue = (nudge & 0x20) ? input.ConsumeIntegral<std::uint32_t>()
                                         : input.ConsumeIntegralInRange<std::uint32_t>(1, 30 * 3600);
    header.SenseInfoOffset =
        (nudge & 0x40) ? input.ConsumeIntegral<std::uint32_t>() : input.ConsumeIntegralInRange<std::uint32_t>(0, 0x200);
    const Bytes cdb = input.ConsumeBytes<std::uint8_t>(sizeof header.Cdb);
    std::memset(header.Cdb, 0, sizeof header.Cdb);
    std::copy(cdb.begin(), cdb.end(), header.Cdb);
}

// Whether `length` bytes from `offset` fit in `limit` bytes.
bool Fits(std::uint64_t offset, std::uint64_t length, std::uint64_t limit) {
    return offset + length >= offset && offset + length <= limit;
}

// The rules a request's header must keep to reach the device, read again
// from the bytes the caller passed.
template <typename Header>
bool ReferenceWellFormed(const Header& header, std::uint32_t inLength, std::uint32_t outLength) {
    if (inLength < kHeaderSize || outLength < kHeaderSize || header.Length != kHeaderSize) return false;
    if (header.CdbLength > 16 || header.DataIn > 2) return false;
    if (header.TimeOutValue < 1 || header.TimeOutValue > 108000) return false;
    if (header.DataTransferLength > 65536) return false;
    if (header.SenseInfoLength != 0 &&
        (header.SenseInfoOffset < kHeaderSize || !Fits(header.SenseInfoOffset, header.SenseInfoLength, outLength)))
        return false;
    return true;
}

bool ReferenceBufferedDataFits(const passthrough::ScsiPassThrough& header, std::uint32_t inLength,
                               std::uint32_t outLength) {
    if (header.DataTransferLength == 0) return true;
    if (header.DataBufferOffset < kHeaderSize) return false;
    const bool travelsBack = header.DataIn == 1 || header.DataIn == 2;
    const bool travelsIn = header.DataIn == 0 || header.DataIn == 2;
    if (travelsBack && !Fits(header.DataBufferOffset, header.DataTransferLength, outLength)) return false;
    if (travelsIn && !Fits(header.DataBufferOffset, header.DataTransferLength, inLength)) return false;
    return true;
}

struct Volumes {
    platform::VolumeHandle drive, disk, readOnly, closed;
};

// One fuzzed call, checked.
void FuzzOneCall(FuzzedDataProvider& input, sim::SimulatedNtStorage& storage, sim::SimulatedDrive& drive,
                 const Volumes& volumes) {
    const platform::VolumeHandle handles[] = {volumes.drive, volumes.disk, volumes.readOnly, volumes.closed,
                                              platform::kInvalidVolumeHandle};
    const platform::VolumeHandle handle = handles[input.ConsumeIntegralInRange(0, 7) % 5];
    const std::uint32_t codes[] = {passthrough::kIoctlScsiPassThrough, passthrough::kIoctlScsiPassThroughDirect};
    const std::uint8_t codeChoice = input.ConsumeIntegral<std::uint8_t>();
    const std::uint32_t code = codeChoice < 252 ? codes[codeChoice % 2] : input.ConsumeIntegral<std::uint32_t>();
    const bool buffered = code == passthrough::kIoctlScsiPassThrough;

    // Lengths around the header size and the largest transfer, and buffers.
    auto length = [&]() -> std::uint32_t {
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: return input.ConsumeIntegralInRange<std::uint32_t>(0, kHeaderSize + 8);
            case 1: return input.ConsumeIntegralInRange<std::uint32_t>(0, 0x300);
            default: return input.ConsumeIntegralInRange<std::uint32_t>(0, 0x10000 + 0x300);
        }
    };
    const std::uint32_t inLength = length();
    const std::uint32_t outLength = length();
    const std::uint8_t bufferChoice = input.ConsumeIntegral<std::uint8_t>();
    const bool shared = (bufferChoice & 0x03) == 0;  // one buffer for both, as the transport passes it
    const bool nullIn = bufferChoice == 0xFF, nullOut = bufferChoice == 0xFE;

    // The header, then fuzzed bytes, in the input buffer.
    passthrough::ScsiPassThrough bufferedHeader{};
    passthrough::ScsiPassThroughDirect directHeader{};
    std::unique_ptr<std::uint8_t[]> directData;
    Bytes directDataBefore;
    if (buffered) {
        FillHeader(bufferedHeader, input);
        const std::uint8_t offsetChoice = input.ConsumeIntegral<std::uint8_t>();
        bufferedHeader.DataBufferOffset = offsetChoice < 200 ? input.ConsumeIntegralInRange<std::uintptr_t>(0, 0x400)
                                                             : input.ConsumeIntegral<std::uintptr_t>();
    } else {
        FillHeader(directHeader, input);
        const std::uint32_t count = std::min<std::uint32_t>(directHeader.DataTransferLength, 0x20000);
        if (input.ConsumeIntegralInRange(0, 15) != 0 && count == directHeader.DataTransferLength) {
            directData.reset(new std::uint8_t[count]);
            const Bytes fill = input.ConsumeBytes<std::uint8_t>(std::min<std::uint32_t>(count, kFilledBytes));
            std::fill_n(directData.get(), count, 0xA5);
            std::copy(fill.begin(), fill.end(), directData.get());
            directDataBefore.assign(directData.get(), directData.get() + count);
        }
        directHeader.DataBuffer = directData.get();
    }
    const std::uint32_t sharedLength = std::max(inLength, outLength);
    std::unique_ptr<std::uint8_t[]> inBuffer(new std::uint8_t[shared ? sharedLength : inLength]);
    std::unique_ptr<std::uint8_t[]> outBuffer(shared ? nullptr : new std::uint8_t[outLength]);
    std::uint8_t* in = inBuffer.get();
    std::uint8_t* out = shared ? in : outBuffer.get();
    {
        const Bytes fill = input.ConsumeBytes<std::uint8_t>(std::min(shared ? sharedLength : inLength, kFilledBytes));
        std::fill_n(in, shared ? sharedLength : inLength, 0x3C);
        std::copy(fill.begin(), fill.end(), in);
        if (!shared) std::fill_n(out, outLength, 0xC3);
        const void* header = buffered ? static_cast<const void*>(&bufferedHeader) : &directHeader;
        std::memcpy(in, header, std::min<std::size_t>(inLength, kHeaderSize));
    }
    const Bytes inBefore(in, in + (shared ? sharedLength : inLength));
    const Bytes outBefore(out, out + outLength);
    void* const inArgument = nullIn ? nullptr : in;
    void* const outArgument = nullOut ? nullptr : out;

    const std::uint32_t commandsBefore = drive.commandCount();
    const int result = storage.DeviceIoControl(handle, code, inArgument, inLength, outArgument, outLength);
    const sim::SimulatedNtStorage::ControlCall& call = storage.calls().back();
    FUZZ_CHECK(call.handle == handle && call.code == code && call.in == inArgument && call.out == outArgument);
    FUZZ_CHECK(call.inLength == inLength && call.outLength == outLength && call.result == result);
    FUZZ_CHECK(storage.lastError() == call.error);
    FUZZ_CHECK((result != 0) == (call.error == sim::nt_error::kSuccess));
    FUZZ_CHECK(result == 0 || call.reachedTarget);

    // Whether the request should have reached the device.
    const bool openForPassThrough = handle == volumes.drive || handle == volumes.disk;
    const bool knownCode =
        code == passthrough::kIoctlScsiPassThrough || code == passthrough::kIoctlScsiPassThroughDirect;
    const bool reachable = !(nullIn && inLength != 0) && !(nullOut && outLength != 0);
    bool wellFormed = false;
    if (buffered)
        wellFormed = ReferenceWellFormed(bufferedHeader, inLength, outLength) &&
                     ReferenceBufferedDataFits(bufferedHeader, inLength, outLength);
    else
        wellFormed = ReferenceWellFormed(directHeader, inLength, outLength) &&
                     (directHeader.DataTransferLength == 0 || directHeader.DataBuffer != nullptr);
    const bool shouldReach = openForPassThrough && knownCode && reachable && wellFormed;
    FUZZ_CHECK(call.reachedTarget == shouldReach);
    FUZZ_CHECK(drive.commandCount() == commandsBefore + (shouldReach && handle == volumes.drive ? 1 : 0));

    // The input is the caller's: never written, unless it is also the output.
    if (!shared) FUZZ_CHECK(std::equal(inBefore.begin(), inBefore.end(), in));
    const std::uint8_t directIn = directHeader.DataIn;
    if (!buffered && directData && directIn == passthrough::kDataOut)
        FUZZ_CHECK(std::equal(directDataBefore.begin(), directDataBefore.end(), directData.get()));
    if (!result) {
        FUZZ_CHECK(std::equal(outBefore.begin(), outBefore.end(), out));
        return;
    }

    // What comes back: the header, and the data area of a good buffered data-in.
    const std::uint8_t status = out[offsetof(passthrough::ScsiPassThrough, ScsiStatus)];
    FUZZ_CHECK(status == 0 || status == 2);
    FUZZ_CHECK(out[offsetof(passthrough::ScsiPassThrough, SenseInfoLength)] == 0);
    std::size_t returned = kHeaderSize;
    if (buffered && status == 0 && bufferedHeader.DataIn != passthrough::kDataOut && bufferedHeader.DataTransferLength)
        returned = bufferedHeader.DataBufferOffset + bufferedHeader.DataTransferLength;
    if (!shared && returned < outLength)
        FUZZ_CHECK(
            std::equal(outBefore.begin() + static_cast<std::ptrdiff_t>(returned), outBefore.end(), out + returned));
    if (buffered && bufferedHeader.DataIn == passthrough::kDataOut && bufferedHeader.DataTransferLength)
        FUZZ_CHECK(std::equal(inBefore.begin() + static_cast<std::ptrdiff_t>(bufferedHeader.DataBufferOffset),
                              inBefore.begin() + static_cast<std::ptrdiff_t>(bufferedHeader.DataBufferOffset +
                                                                             bufferedHeader.DataTransferLength),
                              in + bufferedHeader.DataBufferOffset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider input(bytes, size);
    sim::SimulatedMachine machine;
    sim::DriveConfig config;
    config.letter = 'E';
    config.image.assign(kImageSize, 0x11);
    const std::uint8_t latency = input.ConsumeIntegral<std::uint8_t>();
    config.latencyMs = latency < 240 ? 0 : (latency - 239) * 4000u;  // up to 64 s, never waited for
    sim::SimulatedDrive& drive = machine.AddDrive(config);
    machine.AddHardDisk('C');
    sim::SimulatedNtStorage storage(machine);
    storage.SetHonourLatency(false);

    const std::uint32_t readWrite = platform::kGenericRead | platform::kGenericWrite;
    Volumes volumes;
    volumes.drive = storage.OpenVolume("\\\\.\\E:", readWrite, 0);
    volumes.disk = storage.OpenVolume("\\\\.\\c:", readWrite, 0);
    volumes.readOnly = storage.OpenVolume("\\\\.\\E:", platform::kGenericRead, 0);
    volumes.closed = storage.OpenVolume("\\\\.\\E:", readWrite, 0);
    FUZZ_CHECK(storage.CloseVolume(volumes.closed) == 1);
    FUZZ_CHECK(storage.openHandleCount() == 3);

    for (int calls = 0; calls < 8 && input.remaining_bytes() > 0; ++calls) FuzzOneCall(input, storage, drive, volumes);
    return 0;
}
