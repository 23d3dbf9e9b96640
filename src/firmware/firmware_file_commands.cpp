#include "firmware/firmware_file_commands.h"

#include <cstring>

#include "firmware/firmware_readout.h"
#include "firmware/selected_device.h"
#include "firmware/status_report.h"
#include "firmware/status_text.h"
#include "platform/ascii_case.h"
#include "platform/owned_handle.h"

namespace {

constexpr std::uint32_t kCurrentDirectoryRoom = 256;

// Browse, Upgrade and Exit: disabled for the whole save, in this order, and
// enabled again in the same order on every way out.
void SetFileCommands(OperationsPort& port, bool enable) {
    port.EnableCommand(Command::Browse, enable);
    port.EnableCommand(Command::Upgrade, enable);
    port.EnableCommand(Command::Exit, enable);
}

struct CloseFile {
    FileService* files;
    void operator()(FileHandle file) const { files->Close(file); }
};

class SaveRun {
public:
    SaveRun(const FirmwareContext& context, FirmwareState& state)
        : context_(context),
          state_(state),
          port_(context.port),
          files_(context.files),
          file_(nullptr, CloseFile{&context.files}),
          image_(context.memory) {}

    void Run();

private:
    // Opens the file and leaves it empty, asking before emptying a file
    // that holds data. False, with the status shown, when the save
    // must stop.
    bool OpenEmptyFile();
    // Reads the drive into the buffer and writes it to the file; the status
    // tells how it went.
    void ReadAndWrite(const DeviceRecord& selected);
    // Ends the run: the commands enabled, the file closed.
    void Finish();
    void ShowPathText(const char* format) {
        MessageText text;
        text.Format(format, state_.firmwarePath.c_str());
        ReportStatus(context_, text.c_str());
    }

    const FirmwareContext& context_;
    FirmwareState& state_;
    OperationsPort& port_;
    FileService& files_;
    OwnedHandle<FileHandle, CloseFile> file_;
    OwnedBuffer image_;
};

void SaveRun::Run() {
    ReportStatus(context_, "Save Firmware...");

    const DeviceRecord* selected = TakeSelectedDevice(context_, state_);
    if (selected == nullptr) return;

    SetFileCommands(port_, false);

    file_.Reset(files_.OpenForWriteNoTruncate(state_.firmwarePath.c_str()));
    if (!file_.valid()) {
        ShowPathText("Cant open the file %s");
        SetFileCommands(port_, true);
        return;
    }
    if (!OpenEmptyFile()) return Finish();

    if (!image_.Allocate(selected->imageSize)) {
        ReportStatus(context_, kWriteMemoryFailedText);
        return Finish();
    }

    ReadAndWrite(*selected);

    // A request the transport gave up on may still be completed into the
    // buffer: it is then kept, not freed, until the program ends.
    if (context_.transport.requestAbandoned()) image_.Abandon();
    image_.Release();
    Finish();
}

bool SaveRun::OpenEmptyFile() {
    std::uint64_t length = 0;
    if (!files_.GetLength(file_.get(), length)) {
        ShowPathText("Cant write the file %s");
        return false;
    }
    if (length == 0) return true;

    MessageText question;
    question.Format("File %s Exist, Overwrite ?", state_.firmwarePath.c_str());
    const Answer answer = port_.Ask(Question::OverwriteFile, question.c_str(), Answer::No);
    if (answer != Answer::Yes) {
        // Only a Yes empties the file; anything else leaves it as it was.
        ShowPathText("File %s Exist, User cancel ...");
        return false;
    }
    if (!files_.SetLength(file_.get(), 0)) {
        ShowPathText("Cant write the file %s");
        return false;
    }
    return true;
}

void SaveRun::ReadAndWrite(const DeviceRecord& selected) {
    ScsiTransport& transport = context_.transport;
    if (!transport.Open(selected)) {
        // The file stays as it is now: created or emptied.
        ReportStatus(context_, OpenDeviceFailedText(selected).c_str());
        return;
    }
    if (ReadOutFirmware(context_, state_, image_.get()) == 1) {
        // On a read failure nothing is written and the loop's text stays.
        if (files_.Write(file_.get(), image_.get(), transport.current.imageSize))
            ReportStatus(context_, kUpgradeSuccessfulText);
        else
            ShowPathText("Cant write the file %s");
    }
    transport.Close();
}

void SaveRun::Finish() {
    SetFileCommands(port_, true);
    file_.Close();
}

}  // namespace

void RunBrowse(const FirmwareContext& context, FirmwareState& state) {
    OperationsPort& port = context.port;
    FileChoice choice;
    choice.defaultExtension = "bin";
    choice.initialFileName = "*.bin";
    choice.filter = "Firmware File (bin)";

    // The current directory starts the chooser only when it fits in the
    // room given, terminator included.
    char directory[kCurrentDirectoryRoom] = {};
    const std::uint32_t length = context.system.CurrentDirectory(kCurrentDirectoryRoom, directory);
    if (length > 0 && length < kCurrentDirectoryRoom) {
        directory[length] = '\0';
        choice.initialDirectory = directory;
    }

    ChosenFile chosen;
    if (!port.ChooseFile(choice, chosen)) return;
    if (!SameIgnoringAsciiCase(chosen.extension.c_str(), "bin")) return;

    state.firmwarePath = chosen.fullPath;
    port.ShowFirmwareFile(state.firmwarePath.c_str());
    port.EnableCommand(Command::Upgrade, true);
    ReportStatus(context, "Select Firmware or Click Upgrade to Upgrade...");
}

void RunSave(const FirmwareContext& context, FirmwareState& state) { SaveRun(context, state).Run(); }
