#pragma once
// Test doubles for the firmware operations: a drive whose answers are
// scripted, working buffers that can run out, files that fail on demand,
// and the system services the operations use. Calls worth ordering go into
// the RecordingGui's call log, so a test sees them among the GUI calls.

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "buffer_allocator.h"
#include "crt_file_service.h"
#include "recording_gui.h"
#include "scsi_transport.h"
#include "system_services.h"

class ScriptedTransport : public ScsiTransport {
public:
    struct Download {
        const std::uint8_t* data;
        std::uint8_t blockNumber;
        std::uint16_t blockSum, length, imageSum;
    };
    struct Read {
        std::uint8_t bufferId;
        std::uint16_t offset, length;
    };

    explicit ScriptedTransport(std::vector<std::string>& log) : log_(log) {}

    int openResult = 1;
    int modeSenseResult = 1;
    std::int32_t dvdRomOnlyAfterModeSense = 1;
    // Replaces the opened record's imageSize when nonzero.
    std::uint32_t imageSizeAfterOpen = 0;
    // Results of the next commands; accepted once the list runs out.
    std::deque<int> downloadResults, readResults;
    // Runs inside each vendor download / read, before it answers.
    std::function<void()> duringCommand;
    // What requestAbandoned() reports.
    bool abandoned = false;

    std::vector<DeviceRecord> opened;
    std::vector<Download> downloads;
    std::vector<Read> reads;
    int closes = 0;

    // The byte the drive holds at a linear offset of its firmware.
    static std::uint8_t FirmwareByte(std::uint32_t offset) { return static_cast<std::uint8_t>(offset * 7 + (offset >> 14)); }

    void Enumerate(DeviceList&) override {}
    int Inquiry() override { return 0; }
    int Prepare() override { return 1; }
    int ModeSense() override;
    int Open(const DeviceRecord& record) override;
    void Close() override;
    int ReadBufferMode2(std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) override { return 0; }
    int ReadBufferMode1(std::uint8_t* data, std::uint8_t bufferId, std::uint16_t offset,
                        std::uint16_t length) override;
    int WriteBufferMode7(const std::uint8_t*, std::uint8_t, std::uint16_t, std::uint16_t) override { return 0; }
    int WriteBufferMode4() override { return 0; }
    int TestUnitReady() override { return 1; }
    bool requestAbandoned() const override { return abandoned; }
    int VendorDownload(const std::uint8_t* data, std::uint8_t blockNumber, std::uint16_t blockSum,
                       std::uint16_t length, std::uint16_t imageSum) override;

private:
    static int Next(std::deque<int>& results);
    std::vector<std::string>& log_;
};

// Buffers from the heap; allocation number `failAt` (1-based) fails.
class CountingAllocator : public BufferAllocator {
public:
    int failAt = 0;
    int allocations = 0;
    std::vector<std::size_t> sizes;
    std::set<std::uint8_t*> live;
    int strayReleases = 0;  // releases of blocks this allocator did not hand out

    ~CountingAllocator() override;
    std::uint8_t* Allocate(std::size_t size) override;
    void Release(std::uint8_t* block) override;
};

// Real files; each step can be told to fail. Counts opens and closes.
class FaultyFileService : public CrtFileService {
public:
    bool failLength = false, failSetLength = false, failWrite = false;
    int opens = 0, closes = 0;

    FileHandle OpenForWriteNoTruncate(const std::string& path) override;
    bool GetLength(FileHandle file, std::uint64_t& length) override;
    bool SetLength(FileHandle file, std::uint64_t length) override;
    bool Write(FileHandle file, const std::uint8_t* data, std::uint32_t count) override;
    void Close(FileHandle file) override;
};

// Pauses and requests to keep the system awake go to the log; the current
// directory is scripted.
class RecordingSystem : public SystemServices {
public:
    explicit RecordingSystem(std::vector<std::string>& log) : log_(log) {}

    // Whether the system is currently asked to stay awake.
    bool keptAwake = false;

    std::string currentDirectory = "C:\\TOOLS";
    bool currentDirectoryFails = false;

    int GetVersionEx(OsVersionRecord&) override { return 0; }
    int OpenProcessToken(std::uint32_t, TokenHandle&) override { return 0; }
    int LookupPrivilegeValue(const char*, PrivilegeId&) override { return 0; }
    int AdjustTokenPrivileges(TokenHandle, const PrivilegeId&, std::uint32_t) override { return 0; }
    int CloseToken(TokenHandle) override { return 0; }
    std::uint32_t GetLastError() override { return 0; }
    int ExitWindowsEx(std::uint32_t, std::uint32_t) override { return 0; }
    void Sleep(std::uint32_t milliseconds) override;
    void KeepSystemAwake(bool awake) override;
    std::uint32_t GetCurrentDirectory(std::uint32_t bufferLength, char* buffer) override;

private:
    std::vector<std::string>& log_;
};
