// INQUIRY and MODE SENSE data as any device might return them, judged as the
// tool judges them: directly through the command set, and end to end through
// PassThroughTransport (Enumerate, Open, ModeSense) over a volume that
// answers with the fuzzed bytes.
//
// Invariants: a reply is accepted exactly when its device type is 5; the
// copied fields are the reply's bytes and every string field keeps its NUL;
// nothing else in the record changes; the DVD-ROM-only flag follows bytes 10
// and 11; the transport's requests keep their data inside their buffers and
// every volume it opens is closed again.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "device/command_set.h"
#include "device/device_list.h"
#include "fuzz_support.h"

#include "platform/pass_through_records.h"
#include "device/pass_through_transport.h"

namespace {

constexpr platform::VolumeHandle kVolumeHandle = 0x40;

bool ReferenceAccepted(const std::uint8_t* data) { return data[0] % 32 == 5; }

int ReferenceDvdRomOnly(const std::uint8_t* data) {
    const bool readsDvdRom = (data[10] >> 3) & 1;
    const bool writesCd = (data[11] & 1) || ((data[11] >> 1) & 1);
    return readsDvdRom && !writesCd ? 1 : 0;
}

// The NUL that ends each string field is in place.
bool StringFieldsTerminated(const DeviceRecord& record) {
    return record.vendorId[8] == 0 && record.productId[16] == 0 && record.productRevision[6] == 0 &&
           record.identity[24] == 0;
}

// The string fields hold the INQUIRY bytes they come from.
bool StringFieldsFrom(const DeviceRecord& record, const std::uint8_t* data) {
    return std::memcmp(record.vendorId, data + 8, 8) == 0 && std::memcmp(record.productId, data + 16, 16) == 0 &&
           std::memcmp(record.productRevision, data + 32, 6) == 0 && std::memcmp(record.identity, data + 8, 24) == 0;
}

// One drive-letter volume whose device answers INQUIRY and MODE SENSE with
// fixed bytes (or fails them), and TEST UNIT READY with good status.
class ScriptedVolume : public platform::VolumeService {
public:
    char letter = 'E';
    std::vector<std::uint8_t> inquiry, modeSense;
    bool inquiryFails = false, inquiryChecks = false, modeSenseFails = false;
    int openHandles = 0;

    platform::VolumeHandle OpenVolume(const char* name, std::uint32_t, std::uint32_t) override {
        const char expected[] = {'\\', '\\', '.', '\\', letter, ':', 0};
        if (std::strcmp(name, expected) != 0) return platform::kInvalidVolumeHandle;
        ++openHandles;
        return kVolumeHandle;
    }

    int DeviceIoControl(platform::VolumeHandle handle, std::uint32_t code, void* in, std::uint32_t inLength, void* out,
                        std::uint32_t outLength) override {
        FUZZ_CHECK(handle == kVolumeHandle && openHandles == 1);
        // INQUIRY, TEST UNIT READY and MODE SENSE all go buffered, in one record.
        FUZZ_CHECK(code == passthrough::kIoctlScsiPassThrough);
        FUZZ_CHECK(in == out && inLength >= sizeof(passthrough::ScsiPassThrough));
        auto& header = *static_cast<passthrough::ScsiPassThrough*>(in);
        FUZZ_CHECK(header.Length == sizeof header && header.CdbLength <= sizeof header.Cdb);
        FUZZ_CHECK(header.DataBufferOffset >= sizeof header);
        FUZZ_CHECK(header.DataBufferOffset + header.DataTransferLength <= outLength);
        FUZZ_CHECK(outLength <= sizeof(passthrough::PassThroughRequest));

        const std::vector<std::uint8_t>* reply = nullptr;
        switch (header.Cdb[0]) {
            case commands::kOpInquiry:
                if (inquiryFails) return 0;
                if (inquiryChecks) {
                    header.ScsiStatus = 2;
                    return 1;
                }
                reply = &inquiry;
                break;
            case commands::kOpModeSense10:
                if (modeSenseFails) return 0;
                reply = &modeSense;
                break;
            case commands::kOpTestUnitReady: break;
            default: FUZZ_CHECK(!"unexpected command");
        }
        if (reply != nullptr) {
            const std::size_t count = std::min<std::size_t>(reply->size(), header.DataTransferLength);
            std::copy_n(reply->begin(), count, static_cast<std::uint8_t*>(out) + header.DataBufferOffset);
        }
        header.ScsiStatus = 0;
        return 1;
    }

    std::uint32_t LastError() override { return 0; }

    int CloseVolume(platform::VolumeHandle handle) override {
        FUZZ_CHECK(handle == kVolumeHandle && openHandles == 1);
        --openHandles;
        return 1;
    }

    platform::DeviceMapResult ReadScsiDeviceMap(std::uint32_t& subkeyCount) override {
        subkeyCount = 1;
        return platform::DeviceMapResult::Ok;
    }
};

// The command set's three judgements on one reply, with the data in a buffer
// as small as the smaller transport's (100 bytes), so reading past it shows.
void CheckCommandSet(const std::vector<std::uint8_t>& inquiry, const std::vector<std::uint8_t>& modeSense,
                     std::uint8_t recordFill) {
    std::vector<std::uint8_t> data(commands::kAspiDataBufferSize, 0);
    std::copy_n(inquiry.begin(), std::min(inquiry.size(), data.size()), data.begin());
    FUZZ_CHECK(commands::InquiryAccepted(data.data()) == ReferenceAccepted(data.data()));

    DeviceRecord record;
    std::memset(&record, recordFill, sizeof record);
    record.vendorId[8] = record.productId[16] = record.productRevision[6] = record.identity[24] = 0;
    const DeviceRecord before = record;
    commands::CopyInquiryFields(data.data(), record);
    FUZZ_CHECK(StringFieldsTerminated(record));
    FUZZ_CHECK(StringFieldsFrom(record, data.data()));
    // Everything outside the four text fields is as it was.
    const auto* was = reinterpret_cast<const std::uint8_t*>(&before);
    const auto* now = reinterpret_cast<const std::uint8_t*>(&record);
    FUZZ_CHECK(std::memcmp(was, now, offsetof(DeviceRecord, vendorId)) == 0);
    FUZZ_CHECK(std::memcmp(was + offsetof(DeviceRecord, dosDeviceName), now + offsetof(DeviceRecord, dosDeviceName),
                           sizeof record - offsetof(DeviceRecord, dosDeviceName)) == 0);

    std::vector<std::uint8_t> mode(commands::kModeSenseLength, 0);
    std::copy_n(modeSense.begin(), std::min(modeSense.size(), mode.size()), mode.begin());
    FUZZ_CHECK(commands::DvdRomOnlyFromModeSense(mode.data()) == ReferenceDvdRomOnly(mode.data()));
}

void CheckPassThroughTransport(ScriptedVolume& volume) {
    // What the transport's zero-filled 512-byte data area holds after each answer.
    std::vector<std::uint8_t> inquiry(passthrough::kDataAreaSize, 0);
    std::copy_n(volume.inquiry.begin(), std::min(volume.inquiry.size(), inquiry.size()), inquiry.begin());
    std::vector<std::uint8_t> mode(passthrough::kDataAreaSize, 0);
    std::copy_n(volume.modeSense.begin(), std::min(volume.modeSense.size(), commands::kModeSenseLength), mode.begin());

    PassThroughTransport transport(volume, platform::VolumeAccess::ReadWrite);
    FUZZ_CHECK(transport.initOk == 1);
    DeviceList list;
    transport.Enumerate(list);
    FUZZ_CHECK(volume.openHandles == 0);
    const bool listed = !volume.inquiryFails && !volume.inquiryChecks && ReferenceAccepted(inquiry.data());
    FUZZ_CHECK(list.Count() == (listed ? 1 : 0));
    if (!listed) return;

    const DeviceRecord& record = *list.RecordAt(0);
    FUZZ_CHECK(StringFieldsTerminated(record));
    FUZZ_CHECK(StringFieldsFrom(record, inquiry.data()));
    FUZZ_CHECK(record.driveLetter == volume.letter && record.imageSize == kImageSize);
    FUZZ_CHECK(record.hostAdapter == 0 && record.targetId == 0 && record.lun == 0);

    FUZZ_CHECK(transport.Open(record) == 1);
    FUZZ_CHECK(std::memcmp(&transport.current, &record, sizeof record) == 0);
    FUZZ_CHECK(transport.ModeSense() == (volume.modeSenseFails ? 0 : 1));
    FUZZ_CHECK(transport.dvdRomOnly == (volume.modeSenseFails ? 0 : ReferenceDvdRomOnly(mode.data())));
    transport.Close();
    FUZZ_CHECK(volume.openHandles == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider input(bytes, size);
    ScriptedVolume volume;
    const std::uint8_t flags = input.ConsumeIntegral<std::uint8_t>();
    volume.inquiryFails = (flags & 0x01) != 0;
    volume.inquiryChecks = (flags & 0x02) != 0;
    volume.modeSenseFails = (flags & 0x04) != 0;
    volume.letter = static_cast<char>('C' + input.ConsumeIntegralInRange(0, 'Z' - 'C'));
    const std::uint8_t recordFill = input.ConsumeIntegral<std::uint8_t>();
    volume.modeSense = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, 120));
    volume.inquiry = input.ConsumeRemainingBytes<std::uint8_t>();

    CheckCommandSet(volume.inquiry, volume.modeSense, recordFill);
    CheckPassThroughTransport(volume);
    return 0;
}
