#include "firmware/firmware_file_commands.h"

#include <cstring>

#include "firmware/firmware_readout.h"
#include "firmware/selected_device.h"
#include "firmware/status_text.h"
#include "platform/owned_handle.h"

namespace {

constexpr std::uint32_t kCurrentDirectoryRoom = 256;

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (std::strlen(a) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The browse button, Upgrade and Exit: disabled for the whole save, in this
// order, and enabled again in the same order on every way out.
void SetFileButtons(GuiService& gui, bool enable) {
    gui.EnableItem(kBrowseButton, enable);
    gui.EnableItem(kUpgradeButton, enable);
    gui.EnableItem(kExitButton, enable);
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
          gui_(context.gui),
          files_(context.files),
          file_(nullptr, CloseFile{&context.files}),
          image_(context.memory) {}

    void Run();

private:
    // Opens the file and leaves it empty, asking before emptying a file
    // that holds data. False, with the status line set, when the save
    // must stop.
    bool OpenEmptyFile();
    // Reads the drive into the buffer and writes it to the file; the status
    // line tells how it went.
    void ReadAndWrite(const DeviceRecord& selected);
    // Ends the run: the buttons enabled, the file closed.
    void Finish();
    void ShowPathText(const char* format) {
        MessageText text;
        text.Format(format, state_.firmwarePath.c_str());
        gui_.SetItemText(kStatusLine, text.c_str());
    }

    const FirmwareContext& context_;
    FirmwareState& state_;
    GuiService& gui_;
    FileService& files_;
    OwnedHandle<FileHandle, CloseFile> file_;
    OwnedBuffer image_;
};

void SaveRun::Run() {
    gui_.SetItemText(kStatusLine, "Save Firmware...");

    const DeviceRecord* selected = TakeSelectedDevice(gui_, state_);
    if (selected == nullptr) return;

    SetFileButtons(gui_, false);

    file_.Reset(files_.OpenForWriteNoTruncate(state_.firmwarePath.c_str()));
    if (!file_.valid()) {
        ShowPathText("Cant open the file %s");
        SetFileButtons(gui_, true);
        return;
    }
    if (!OpenEmptyFile()) return Finish();

    if (!image_.Allocate(selected->imageSize)) {
        gui_.SetItemText(kStatusLine, kWriteMemoryFailedText);
        return Finish();
    }

    ReadAndWrite(*selected);

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

    // The box has no owner and the platform's default caption.
    MessageText question;
    question.Format("File %s Exist, Overwrite ?", state_.firmwarePath.c_str());
    const int answer = gui_.ShowMessage(question.c_str(), nullptr, kMbYesNo);
    if (answer != kAnswerYes) {
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
        gui_.SetItemText(kStatusLine, OpenDeviceFailedText(selected).c_str());
        return;
    }
    if (ReadOutFirmware(context_, state_, image_.get()) == 1) {
        // On a read failure nothing is written and the loop's text stays.
        if (files_.Write(file_.get(), image_.get(), transport.current.imageSize))
            gui_.SetItemText(kStatusLine, kUpgradeSuccessfulText);
        else
            ShowPathText("Cant write the file %s");
    }
    transport.Close();
}

void SaveRun::Finish() {
    SetFileButtons(gui_, true);
    file_.Close();
}

}  // namespace

void RunBrowse(const FirmwareContext& context, FirmwareState& state) {
    GuiService& gui = context.gui;
    OpenFileRequest request;
    request.defaultExtension = "bin";
    request.initialFileName = "*.bin";
    request.flags = kOfnHideReadOnly;
    request.filter = "Firmware File (bin)";

    // The current directory starts the dialog only when it fits in the room
    // given, terminator included.
    char directory[kCurrentDirectoryRoom] = {};
    const std::uint32_t length = context.system.CurrentDirectory(kCurrentDirectoryRoom, directory);
    if (length > 0 && length < kCurrentDirectoryRoom) {
        directory[length] = '\0';
        request.initialDirectory = directory;
    }

    OpenFileResult chosen;
    if (!gui.RunOpenFileDialog(request, chosen)) return;
    if (!EqualsIgnoringAsciiCase(chosen.extension.c_str(), "bin")) return;

    state.firmwarePath = chosen.fullPath;
    gui.SetItemText(kPathField, state.firmwarePath.c_str());
    gui.EnableItem(kUpgradeButton, true);
    gui.SetItemText(kStatusLine, "Select Firmware or Click Upgrade to Upgrade...");
}

void RunSave(const FirmwareContext& context, FirmwareState& state) { SaveRun(context, state).Run(); }
