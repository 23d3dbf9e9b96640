// Loads the simulated wnaspi32.dll the way the product does (the Win32 ASPI
// library service and AspiTransport), enumerates the drives of a
// configuration file written here, downloads the sample image to one of
// them in eight blocks, reads it back, and checks the drives' trace.
// Run under Wine with WINEDLLOVERRIDES=wnaspi32=n and the dll beside it.
// Exit code 0 when every check holds; each failed check prints one line.

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/win32/win32_services.h"
#include "device/aspi_transport.h"
#include "firmware/firmware_package.h"
#include "sample_image.h"


namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
    if (!ok) {
        ++g_failures;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryA(sizeof buffer, buffer);
    return length == 0 || length >= sizeof buffer ? std::string(".") : std::string(buffer, length);
}

std::vector<std::string> FileLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Two drives on adapters 0 and 2; adapter 1 answers as absent. The first
// drive holds an all-zero image and answers slowly enough that every
// request is still pending when SendASPI32Command returns.
const char kConfiguration[] =
    "trace = aspi_dll_check_trace.log\n"
    "[adapter 0]\n"
    "max_targets = 4\n"
    "[adapter 1]\n"
    "inquiry = invalid\n"
    "[adapter 2]\n"
    "max_targets = 2\n"
    "[drive]\n"
    "adapter = 0\n"
    "target = 1\n"
    "image = zeros\n"
    "latency_ms = 5\n"
    "[drive]\n"
    "adapter = 2\n"
    "target = 1\n";

void DownloadAndReadBack(AspiTransport& transport, const DeviceRecord& record) {
    Check(transport.Open(record) == 1, "Open");
    Check(transport.ModeSense() == 1 && transport.dvdRomOnly == 1, "MODE SENSE reads a DVD-ROM-only drive");

    const std::vector<std::uint8_t> image = MakeSampleImage();
    const std::uint16_t imageSum = byteSum16(image.data(), image.size());
    Check(imageSum == kSampleImageSum, "sample image sum");
    for (unsigned block = 1; block <= kImageSize / kBlockSize; ++block) {
        const std::uint8_t* data = image.data() + (block - 1) * kBlockSize;
        Check(transport.VendorDownload(data, static_cast<std::uint8_t>(block), byteSum16(data, kBlockSize),
                                       kBlockSize, imageSum) == 1,
              "vendor download of block " + std::to_string(block));
    }

    std::vector<std::uint8_t> readBack(kImageSize);
    for (std::uint32_t offset = 0; offset < kImageSize; offset += kBlockSize)
        Check(transport.ReadBufferMode1(readBack.data() + offset, static_cast<std::uint8_t>(offset >> 16),
                                        static_cast<std::uint16_t>(offset & 0xFFFF), kBlockSize) == 1,
              "READ BUFFER mode 1 at " + std::to_string(offset));
    Check(readBack == image, "the drive holds the downloaded image");

    Check(transport.Inquiry() == 1 && std::strncmp(transport.current.productRevision, "P1.3", 4) == 0,
          "the drive reports revision P1.3 after the download");
    transport.Close();
}

void CheckTrace(const std::string& tracePath) {
    const std::vector<std::string> lines = FileLines(tracePath);
    int vendorCommands = 0, goodVendorCommands = 0, installs = 0;
    for (const std::string& line : lines) {
        if (Contains(line, "CDB FD 07 51 4F 52 41")) {
            ++vendorCommands;
            if (Contains(line, "| good")) ++goodVendorCommands;
            Check(line.rfind("0:1 ", 0) == 0, "vendor command went to drive 0:1: " + line);
        }
        if (Contains(line, "installed image sum 0x0E89")) ++installs;
    }
    Check(vendorCommands == 8, "8 vendor commands in the trace, found " + std::to_string(vendorCommands));
    Check(goodVendorCommands == 8, "all 8 vendor commands good, found " + std::to_string(goodVendorCommands));
    Check(installs == 1, "one install line in the trace, found " + std::to_string(installs));
}

}  // namespace

int main() {
    const std::string folder = CurrentDirectory();
    const std::string configPath = folder + "\\aspi_dll_check.cfg";
    const std::string tracePath = folder + "\\aspi_dll_check_trace.log";
    std::remove(tracePath.c_str());
    {
        std::ofstream config(configPath, std::ios::binary | std::ios::trunc);
        config << kConfiguration;
        if (!config) {
            std::printf("FAILED: cannot write %s\n", configPath.c_str());
            return 1;
        }
    }
    // The dll reads its configuration from the live environment at its first call.
    ::SetEnvironmentVariableA("KTX_SIM_CONFIG", configPath.c_str());
    ::SetEnvironmentVariableA("KTX_SIM_TRACE", nullptr);

    platform::Win32AspiLibrary library;
    {
        AspiTransport transport(library);
        Check(transport.initOk == 1, "wnaspi32.dll loaded and reports adapters");
        Check(transport.adapterCount == 3, "three adapters, got " + std::to_string(transport.adapterCount));

        DeviceList devices;
        transport.Enumerate(devices);
        Check(devices.Count() == 2, "two drives listed, got " + std::to_string(devices.Count()));
        if (devices.Count() == 2) {
            Check(devices.RecordAt(0)->hostAdapter == 0 && devices.RecordAt(0)->targetId == 1, "first drive is 0:1");
            Check(devices.RecordAt(1)->hostAdapter == 2 && devices.RecordAt(1)->targetId == 1, "second drive is 2:1");
            Check(std::strcmp(devices.RecordAt(0)->productId, "KTX7724R05      ") == 0, "product id");
            DownloadAndReadBack(transport, *devices.RecordAt(0));
        }
        Check(!transport.lastCommand().abandoned, "no request outlived its bound");
    }
    CheckTrace(tracePath);
    std::remove(configPath.c_str());

    std::printf("%s\n", g_failures == 0 ? "aspi dll check passed" : "aspi dll check FAILED");
    return g_failures == 0 ? 0 : 1;
}
