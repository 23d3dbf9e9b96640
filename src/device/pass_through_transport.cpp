#include "pass_through_transport.h"

#include <cstdio>
#include <cstring>

#include "os_version.h"

namespace {

constexpr char kFirstLetter = 'C';
constexpr char kLastLetter = 'Z';
// Windows 2000 is the first system whose volumes are opened read-write.
constexpr std::uint32_t kReadWriteVolumesFromMajorVersion = 5;

// Fills the fields both header forms share, for the device `record` names.
template <typename Header>
void FillHeader(Header& header, const commands::Command& command, const DeviceRecord& record) {
    header.Length = sizeof(Header);
    header.ScsiStatus = 0;
    header.PathId = record.hostAdapter;
    header.TargetId = record.targetId;
    header.Lun = record.lun;
    header.CdbLength = command.cdbLength;
    header.SenseInfoLength = passthrough::kSenseInfoLength;
    header.DataIn = command.direction == commands::Direction::In ? passthrough::kDataIn : passthrough::kDataOut;
    header.DataTransferLength = command.transferLength;
    header.TimeOutValue = command.timeoutSeconds;
    header.SenseInfoOffset = passthrough::kSenseOffset;
    static_assert(sizeof header.Cdb == sizeof command.cdb, "CDB capacity");
    std::memcpy(header.Cdb, command.cdb.data(), sizeof header.Cdb);
}

}  // namespace

PassThroughTransport::PassThroughTransport(platform::VolumeService& volumes) : volumes_(volumes) {
    std::uint32_t ports = 0;
    if (volumes_.ReadScsiDeviceMap(ports) == platform::DeviceMapResult::Ok) {
        adapterCount = ports;
        initOk = 1;
    } else {
        initOk = 0;
    }
    ZeroCurrent();
}

PassThroughTransport::~PassThroughTransport() { CloseVolume(); }

void PassThroughTransport::OpenVolume(char letter) {
    char name[8];
    std::snprintf(name, sizeof name, "\\\\.\\%c:", letter);
    std::uint32_t access = platform::kGenericRead;
    std::uint32_t sharing = platform::kFileShareRead;
    if (g_osVersion.dwMajorVersion >= kReadWriteVolumesFromMajorVersion) {
        access |= platform::kGenericWrite;
        sharing |= platform::kFileShareWrite;
    }
    deviceHandle = volumes_.OpenVolume(name, access, sharing);
    handleOpen_ = deviceHandle != platform::kInvalidVolumeHandle;
}

void PassThroughTransport::CloseVolume() {
    if (!handleOpen_) return;
    volumes_.CloseVolume(deviceHandle);
    handleOpen_ = false;
}

void PassThroughTransport::Enumerate(DeviceList& list) {
    for (char letter = kFirstLetter; letter <= kLastLetter; ++letter) {
        OpenVolume(letter);
        if (deviceHandle == platform::kInvalidVolumeHandle) continue;
        if (!Inquiry()) {
            CloseVolume();
            continue;
        }
        // A drive without a disc answers check condition; it is listed all the same.
        TestUnitReady();
        TestUnitReady();
        if (!Prepare()) {
            CloseVolume();
            continue;
        }
        current.driveLetter = letter;
        list.Append(current);
        CloseVolume();
    }
    ZeroCurrent();
}

int PassThroughTransport::SendBuffered(const commands::Command& command, passthrough::PassThroughRequest& request) {
    std::memset(&request, 0, sizeof request);
    FillHeader(request.header, command, current);
    request.header.DataBufferOffset = passthrough::kDataOffset;
    const int ok = volumes_.DeviceIoControl(deviceHandle, passthrough::kIoctlScsiPassThrough, &request,
                                            passthrough::kBufferedInputLength, &request,
                                            passthrough::BufferedOutputLength(command.transferLength));
    return ok != 0 && request.header.ScsiStatus == 0 ? 1 : 0;
}

int PassThroughTransport::SendDirect(const commands::Command& command, void* data) {
    passthrough::DirectRequest request;
    std::memset(&request, 0, sizeof request);
    FillHeader(request.header, command, current);
    request.header.DataBuffer = data;
    const int ok = volumes_.DeviceIoControl(deviceHandle, passthrough::kIoctlScsiPassThroughDirect, &request,
                                            passthrough::kDirectLength, &request, passthrough::kDirectLength);
    return ok != 0 && request.header.ScsiStatus == 0 ? 1 : 0;
}

int PassThroughTransport::Inquiry() {
    passthrough::PassThroughRequest request;
    if (!SendBuffered(commands::Inquiry(commands::Backend::PassThrough), request)) return 0;
    return AcceptInquiry(request.data);
}

int PassThroughTransport::Prepare() { return PrepareCurrent(); }

int PassThroughTransport::ModeSense() {
    passthrough::PassThroughRequest request;
    if (!SendBuffered(commands::ModeSense(commands::Backend::PassThrough), request)) return 0;
    AcceptModeSense(request.data);
    return 1;
}

int PassThroughTransport::TestUnitReady() {
    passthrough::PassThroughRequest request;
    return SendBuffered(commands::TestUnitReady(), request);
}

int PassThroughTransport::Open(const DeviceRecord& record) {
    CopyToCurrent(record);
    // Only C..Z are drive-letter volumes this transport lists; anything else
    // (an ASPI record's letter 0, a floppy letter) is refused without
    // opening whatever such a name might reach.
    if (current.driveLetter < kFirstLetter || current.driveLetter > kLastLetter) {
        deviceHandle = platform::kInvalidVolumeHandle;
        handleOpen_ = false;
        return 0;
    }
    OpenVolume(current.driveLetter);
    return handleOpen_ ? 1 : 0;
}

void PassThroughTransport::Close() { CloseVolume(); }

int PassThroughTransport::ReadBufferMode2(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                          std::uint16_t length) {
    return SendDirect(commands::ReadBufferMode2(bufferId, offset, length), data);
}

int PassThroughTransport::ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                          std::uint16_t length) {
    return SendDirect(commands::ReadBufferMode1(bufferId, offset, length), data);
}

int PassThroughTransport::WriteBufferMode7(const std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                           std::uint16_t length) {
    // The platform only reads a data-out buffer; the record's field is not const.
    return SendDirect(commands::WriteBufferMode7(bufferId, offset, length), const_cast<std::uint8_t*>(data));
}

int PassThroughTransport::WriteBufferMode4() { return SendDirect(commands::WriteBufferMode4(), nullptr); }

int PassThroughTransport::VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber,
                                         std::uint16_t blockSum, std::uint16_t length, std::uint16_t imageSum) {
    return SendDirect(commands::VendorDownload(blockNumber, blockSum, length, imageSum),
                      const_cast<std::uint8_t*>(data));
}
