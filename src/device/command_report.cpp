#include "device/command_report.h"

#include <cstring>

void CommandReport::Begin(const commands::Command& command) {
    *this = CommandReport{};
    std::memcpy(cdb, command.cdb.data(), sizeof cdb);
    cdbLength = command.cdbLength;
    direction = command.direction;
    length = command.transferLength;
}

void CommandReport::Refuse(const char* text) {
    std::size_t length = std::strlen(text);
    if (length >= kRefusalRoom) length = kRefusalRoom - 1;
    std::memcpy(refusal, text, length);
    refusal[length] = '\0';
}

void CommandReport::Answer(std::uint8_t status, const std::uint8_t* senseData, std::uint32_t length) {
    answered = true;
    scsiStatus = status;
    senseLength = static_cast<std::uint8_t>(length < kKeptSenseLength ? length : kKeptSenseLength);
    if (senseData != nullptr && senseLength > 0) std::memcpy(sense, senseData, senseLength);
    else senseLength = 0;
}
