#include "device/pass_through_transport.h"

#include <cstring>

namespace {

constexpr char kFirstLetter = 'C';
constexpr char kLastLetter = 'Z';

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

// What the system and the drive said of a request, in `report`: 1 when the
// system carried it and the drive answered good status.
template <typename Request>
int Judge(int carried, const Request& request, platform::VolumeService& volumes, CommandReport& report) {
    if (carried != 0)
        report.Answer(request.header.ScsiStatus, request.sense, request.header.SenseInfoLength);
    else
        report.systemError = volumes.LastError();
    return carried != 0 && request.header.ScsiStatus == 0 ? 1 : 0;
}

}  // namespace

PassThroughTransport::PassThroughTransport(platform::VolumeService& volumes, platform::VolumeAccess access)
    : volumes_(volumes),
      access_(access),
      volume_(platform::kInvalidVolumeHandle, CloseVolume{&volumes}) {
    std::uint32_t ports = 0;
    if (volumes_.ReadScsiDeviceMap(ports) == platform::DeviceMapResult::Ok) {
        adapterCount = ports;
        initOk = 1;
    }
}

void PassThroughTransport::OpenVolume(char letter) {
    const char name[] = {'\\', '\\', '.', '\\', letter, ':', '\0'};  // \\.\X:
    std::uint32_t access = platform::kGenericRead;
    std::uint32_t sharing = platform::kFileShareRead;
    if (access_ == platform::VolumeAccess::ReadWrite) {
        access |= platform::kGenericWrite;
        sharing |= platform::kFileShareWrite;
    }
    volume_.Reset(volumes_.OpenVolume(name, access, sharing));
}

void PassThroughTransport::Enumerate(DeviceList& list) {
    for (char letter = kFirstLetter; letter <= kLastLetter; ++letter) {
        OpenVolume(letter);
        if (!volume_.valid()) continue;
        current.driveLetter = letter;
        if (Inquiry()) ListCurrent(list);
        volume_.Close();
    }
    ZeroCurrent();
}

int PassThroughTransport::Send(const commands::Command& command, std::uint8_t* data) {
    report().carrier = CommandCarrier::PassThrough;
    if (command.usesReplyArea) {
        std::memset(&reply_, 0, sizeof reply_);
        FillHeader(reply_.header, command, current);
        reply_.header.DataBufferOffset = passthrough::kDataOffset;
        return Judge(volumes_.DeviceIoControl(volume_.get(), passthrough::kIoctlScsiPassThrough, &reply_,
                                              passthrough::kBufferedInputLength, &reply_,
                                              passthrough::BufferedOutputLength(command.transferLength)),
                     reply_, volumes_, report());
    }
    passthrough::DirectRequest request;
    std::memset(&request, 0, sizeof request);
    FillHeader(request.header, command, current);
    request.header.DataBuffer = data;
    return Judge(volumes_.DeviceIoControl(volume_.get(), passthrough::kIoctlScsiPassThroughDirect, &request,
                                          passthrough::kDirectLength, &request, passthrough::kDirectLength),
                 request, volumes_, report());
}

int PassThroughTransport::Open(const DeviceRecord& record) {
    CopyToCurrent(record);
    // Only C..Z are drive-letter volumes this transport lists; anything else
    // (an ASPI record's letter 0, a floppy letter) is refused without
    // opening whatever such a name might reach.
    if (current.driveLetter < kFirstLetter || current.driveLetter > kLastLetter) {
        volume_.Close();
        return 0;
    }
    OpenVolume(current.driveLetter);
    return volume_.valid() ? 1 : 0;
}

ScsiTransport::VolumeLock PassThroughTransport::LockVolume() {
    if (!volume_.valid()) return VolumeLock::Refused;
    const bool locked =
        volumes_.DeviceIoControl(volume_.get(), passthrough::kFsctlLockVolume, nullptr, 0, nullptr, 0) != 0 &&
        volumes_.DeviceIoControl(volume_.get(), passthrough::kFsctlDismountVolume, nullptr, 0, nullptr, 0) != 0;
    return locked ? VolumeLock::Locked : VolumeLock::Refused;
}
