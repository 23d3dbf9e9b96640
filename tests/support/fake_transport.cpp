#include "fake_transport.h"

#include <cstdio>

FakeTransport::FakeTransport(std::vector<std::string>& log, std::int32_t initialised, int drives)
    : driveCount(drives), log_(log) {
    initOk = initialised;
}

FakeTransport::~FakeTransport() { log_.push_back("~Transport"); }

int FakeTransport::Next(std::deque<int>& results) {
    if (results.empty()) return 1;
    const int result = results.front();
    results.pop_front();
    return result;
}

void FakeTransport::Enumerate(DeviceList& list) {
    log_.push_back("Enumerate");
    for (int i = 0; i < driveCount; ++i) {
        DeviceRecord record{};
        record.targetId = static_cast<std::uint8_t>(i);
        list.Append(record);
    }
}

int FakeTransport::Open(const DeviceRecord& record) {
    log_.push_back("Open(" + std::to_string(record.hostAdapter) + ":" + std::to_string(record.targetId) + ")");
    opened.push_back(record);
    if (!openResult) {
        report() = CommandReport{};
        if (!systemProblem.empty()) report().Refuse(systemProblem.c_str());
        return 0;
    }
    CopyToCurrent(record);
    if (imageSizeAfterOpen != 0) current.imageSize = imageSizeAfterOpen;
    return 1;
}

void FakeTransport::Close() {
    log_.push_back("Close()");
    ++closes;
}

int FakeTransport::Send(const commands::Command& command, std::uint8_t* data) {
    const auto word = [&command](int at) {
        return static_cast<std::uint16_t>((command.cdb[at] << 8) | command.cdb[at + 1]);
    };
    sent.push_back({command, data});
    switch (command.cdb[0]) {
        case commands::kOpInquiry:
            reply_ = inquiryData;
            return inquiryResult;
        case commands::kOpModeSense10:
            log_.push_back("ModeSense()");
            if (!modeSenseResult) return 0;
            reply_.fill(0);
            reply_[10] = 0x08;                                  // reads DVD-ROM
            reply_[11] = dvdRomOnlyAfterModeSense ? 0x00 : 0x01;  // writes CD-R
            return 1;
        case commands::kOpReadBuffer: {
            if (command.cdb[1] != 0x01) return Unexpected(command);
            const Read read{command.cdb[2], word(4), word(7)};
            reads.push_back(read);
            if (duringCommand) duringCommand();
            report().abandoned = abandoned;
            if (!Next(readResults)) return 0;
            const std::uint32_t start = (std::uint32_t{read.bufferId} << 16) + read.offset;
            for (std::uint32_t i = 0; i < read.length; ++i) data[i] = FirmwareByte(start + i);
            return 1;
        }
        case commands::kOpVendorDownload:
            downloads.push_back({data, command.cdb[10], word(6),
                                 static_cast<std::uint16_t>(command.transferLength), word(8)});
            if (duringCommand) duringCommand();
            report().abandoned = abandoned;
            if (!Next(downloadResults)) {
                report().deviceGone = goneOnRefusal;
                return 0;
            }
            return 1;
        default:
            return Unexpected(command);
    }
}

int FakeTransport::Unexpected(const commands::Command& command) {
    char text[40];
    std::snprintf(text, sizeof text, "unexpected command %02X", command.cdb[0]);
    log_.push_back(text);
    return 0;
}


