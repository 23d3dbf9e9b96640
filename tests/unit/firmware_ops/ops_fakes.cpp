#include "ops_fakes.h"

#include <cstring>

int ScriptedTransport::Next(std::deque<int>& results) {
    if (results.empty()) return 1;
    const int result = results.front();
    results.pop_front();
    return result;
}

int ScriptedTransport::ModeSense() {
    log_.push_back("ModeSense()");
    if (!modeSenseResult) return 0;
    dvdRomOnly = dvdRomOnlyAfterModeSense;
    return 1;
}

int ScriptedTransport::Open(const DeviceRecord& record) {
    log_.push_back("Open(" + std::to_string(record.hostAdapter) + ":" + std::to_string(record.targetId) + ")");
    opened.push_back(record);
    if (!openResult) return 0;
    CopyToCurrent(record);
    if (imageSizeAfterOpen != 0) current.imageSize = imageSizeAfterOpen;
    return 1;
}

void ScriptedTransport::Close() {
    log_.push_back("Close()");
    ++closes;
}

int ScriptedTransport::ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                                       std::uint16_t length) {
    reads.push_back({bufferId, offset, length});
    if (duringCommand) duringCommand();
    if (!Next(readResults)) return 0;
    const std::uint32_t start = (std::uint32_t{bufferId} << 16) + offset;
    for (std::uint32_t i = 0; i < length; ++i) data[i] = FirmwareByte(start + i);
    return 1;
}

int ScriptedTransport::VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                                      std::uint16_t length, std::uint16_t imageSum) {
    downloads.push_back({data, blockNumber, blockSum, length, imageSum});
    if (duringCommand) duringCommand();
    return Next(downloadResults);
}

CountingAllocator::~CountingAllocator() {
    for (std::uint8_t* block : live) delete[] block;
}

std::uint8_t* CountingAllocator::Allocate(std::size_t size) {
    sizes.push_back(size);
    if (++allocations == failAt) return nullptr;
    // Filled with garbage, so that a missing zero-fill shows.
    std::uint8_t* block = new std::uint8_t[size];
    std::memset(block, 0xA5, size);
    live.insert(block);
    return block;
}

void CountingAllocator::Release(std::uint8_t* block) {
    if (live.erase(block) == 0) {
        ++strayReleases;
        return;
    }
    delete[] block;
}

FileHandle FaultyFileService::OpenForWriteNoTruncate(const std::string& path) {
    FileHandle file = CrtFileService::OpenForWriteNoTruncate(path);
    if (file != nullptr) ++opens;
    return file;
}

bool FaultyFileService::GetLength(FileHandle file, std::uint64_t& length) {
    return !failLength && CrtFileService::GetLength(file, length);
}

bool FaultyFileService::SetLength(FileHandle file, std::uint64_t length) {
    return !failSetLength && CrtFileService::SetLength(file, length);
}

bool FaultyFileService::Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) {
    return !failWrite && CrtFileService::Write(file, data, count);
}

void FaultyFileService::Close(FileHandle file) {
    ++closes;
    CrtFileService::Close(file);
}

void RecordingSystem::Sleep(std::uint32_t milliseconds) { log_.push_back("Sleep(" + std::to_string(milliseconds) + ")"); }

void RecordingSystem::KeepSystemAwake(bool awake) {
    log_.push_back(awake ? "KeepSystemAwake(true)" : "KeepSystemAwake(false)");
    keptAwake = awake;
}

std::uint32_t RecordingSystem::GetCurrentDirectory(std::uint32_t bufferLength, char* buffer) {
    if (currentDirectoryFails) return 0;
    const auto length = static_cast<std::uint32_t>(currentDirectory.size());
    if (length + 1 > bufferLength) return length + 1;  // the room it needs
    std::memcpy(buffer, currentDirectory.c_str(), length + 1);
    return length;
}
