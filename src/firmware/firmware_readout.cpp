#include "firmware/firmware_readout.h"

#include <cstring>
#include <optional>

#include "firmware/upgrade_procedure.h"
#include "platform/ascii_case.h"
#include "platform/owned_handle.h"

ReadOutExit ReadOutFirmware(const FirmwareContext& context, FirmwareState& state, std::uint8_t* image) {
    OperationsReport& report = context.port;
    ScsiTransport& transport = context.transport;
    const std::uint32_t imageSize = transport.current.imageSize;
    std::uint32_t offset = 0;
    int failures = 0;
    // No sleep while the drive's firmware is read, until every exit below.
    PhaseScope readOut(report, Phase::ReadOut);

    while (offset < imageSize) {
        if (failures >= kReadAttemptsPerBlock) {
            MessageText text;
            text.Format("Error Happen in ID %x OFFSET 0x%04X", static_cast<unsigned>((offset >> 16) & 0xFFu),
                        static_cast<unsigned>(offset & 0xFFFFu));
            ReportStatus(context, text.c_str());
            return ReadOutExit::BlockUnread;
        }
        // Every prepared record's image is a whole number of blocks; a last
        // part block is still read only as far as the buffer goes.
        const std::uint32_t length = imageSize - offset < kBlockSize ? imageSize - offset : kBlockSize;
        const int read = transport.ReadBufferMode1(image + offset, static_cast<std::uint8_t>(offset >> 16),
                                                   static_cast<std::uint16_t>(offset & 0xFFFFu),
                                                   static_cast<std::uint16_t>(length));
        report.BlockAttempted(Phase::ReadOut, static_cast<int>(offset / kBlockSize) + 1, failures + 1, read != 0);
        if (read == 0) {
            ++failures;
            continue;
        }
        failures = 0;
        offset += length;
        state.progress = static_cast<std::int32_t>(offset * 100u / imageSize);
        report.ShowProgress(state.progress);
    }
    readOut.Succeeded();
    return ReadOutExit::Read;
}

BlockComparison CompareBlocks(const std::uint8_t* drive, const std::uint8_t* image) {
    BlockComparison result;
    for (std::size_t block = 0; block < package_layout::kBlockCount; ++block) {
        const std::size_t offset = block * kBlockSize;
        result.same[block] = std::memcmp(drive + offset, image + offset, kBlockSize) == 0;
        if (!result.same[block]) ++result.differing;
    }
    return result;
}

namespace {

constexpr std::uint32_t kCurrentDirectoryRoom = 256;

struct CloseFile {
    FileService* files;
    void operator()(FileHandle file) const { files->Close(file); }
};

class SaveRun {
public:
    SaveRun(const FirmwareContext& context, FirmwareState& state)
        : context_(context), state_(state), file_(nullptr, CloseFile{context.files}), image_(context.memory) {}

    SaveExit Run(const DeviceRecord& drive) {
        state_.selectedDevice = &drive;
        file_.Reset(files().OpenForWriteNoTruncate(state_.firmwarePath.c_str()));
        if (!file_.valid()) return ShowPathText(SaveExit::FileNotOpened, "Cant open the file %s");
        if (const std::optional<SaveExit> stopped = EmptyFile()) return *stopped;

        if (!image_.Allocate(drive.imageSize)) {
            ReportStatus(context_, kWriteMemoryFailedText);
            return SaveExit::NoMemory;
        }
        const SaveExit exit = ReadAndWrite(drive);
        // Kept, not freed, when an abandoned request may still write into it.
        if (context_.transport.lastCommand().abandoned) image_.Abandon();
        image_.Release();
        return exit;
    }

private:
    FileService& files() const { return *context_.files; }

    // Empties the open file, asking first when it holds data. Empty, or the
    // exit with its status shown.
    std::optional<SaveExit> EmptyFile() {
        std::uint64_t length = 0;
        if (!files().GetLength(file_.get(), length))
            return ShowPathText(SaveExit::FileNotWritten, "Cant write the file %s");
        if (length == 0) return std::nullopt;

        MessageText question;
        question.Format("File %s Exist, Overwrite ?", state_.firmwarePath.c_str());
        // Only a Yes empties the file; anything else leaves it as it was.
        if (context_.port.Ask(Question::OverwriteFile, question.c_str(), Answer::No) != Answer::Yes)
            return ShowPathText(SaveExit::FileKept, "File %s Exist, User cancel ...");
        if (!files().SetLength(file_.get(), 0)) return ShowPathText(SaveExit::FileNotWritten, "Cant write the file %s");
        return std::nullopt;
    }

    SaveExit ReadAndWrite(const DeviceRecord& drive) {
        ScsiTransport& transport = context_.transport;
        if (!transport.Open(drive)) {
            // The file stays as it is now: created or emptied.
            ReportStatus(context_, OpenDeviceFailedText(drive).c_str());
            return SaveExit::OpenFailed;
        }
        SaveExit exit = SaveExit::BlockUnread;  // nothing is written and the loop's text stays
        if (ReadOutFirmware(context_, state_, image_.get()) == ReadOutExit::Read) {
            if (files().Write(file_.get(), image_.get(), transport.current.imageSize)) {
                ReportStatus(context_, kUpgradeSuccessfulText);
                exit = SaveExit::Saved;
            } else {
                exit = ShowPathText(SaveExit::FileNotWritten, "Cant write the file %s");
            }
        }
        transport.Close();
        return exit;
    }

    SaveExit ShowPathText(SaveExit exit, const char* format) {
        MessageText text;
        text.Format(format, state_.firmwarePath.c_str());
        ReportStatus(context_, text.c_str());
        return exit;
    }

    const FirmwareContext& context_;
    FirmwareState& state_;
    OwnedHandle<FileHandle, CloseFile> file_;
    OwnedBuffer image_;
};

}  // namespace

bool BrowseFirmwareFile(const FirmwareContext& context, FirmwareState& state) {
    FileChoice choice;
    choice.defaultExtension = "bin";
    choice.initialFileName = "*.bin";
    choice.filter = "Firmware File (bin)";

    // The current directory starts the chooser only when it fits.
    char directory[kCurrentDirectoryRoom] = {};
    const std::uint32_t length = context.system.CurrentDirectory(kCurrentDirectoryRoom, directory);
    if (length > 0 && length < kCurrentDirectoryRoom) {
        directory[length] = '\0';
        choice.initialDirectory = directory;
    }

    ChosenFile chosen;
    if (!context.port.ChooseFile(choice, chosen)) return false;
    if (!SameIgnoringAsciiCase(chosen.extension.c_str(), "bin")) return false;
    state.firmwarePath = chosen.fullPath;
    return true;
}

SaveExit SaveFirmware(const FirmwareContext& context, FirmwareState& state, const DeviceRecord& drive) {
    return SaveRun(context, state).Run(drive);
}
