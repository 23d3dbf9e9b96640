#include "firmware_file_commands.h"

#include <cstring>

#include "buffer_allocator.h"
#include "command_guard.h"
#include "file_service.h"
#include "firmware_readout.h"
#include "scsi_transport.h"
#include "selected_device.h"
#include "status_text.h"
#include "system_services.h"
#include "upgrade_dialog.h"

namespace {

constexpr std::uint32_t kCurrentDirectoryRoom = 256;

bool EqualsIgnoringAsciiCase(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The browse button, Upgrade and Exit: disabled for the whole save, in this
// order, and enabled again in the same order on every way out.
void SetFileButtons(GuiContract& gui, bool enable) {
    gui.EnableItem(kBrowseButton, enable);
    gui.EnableItem(kUpgradeButton, enable);
    gui.EnableItem(kExitButton, enable);
}

class SaveRun {
public:
    SaveRun(UpgradeDialog& dialog, ScsiTransport& transport)
        : dialog_(dialog),
          transport_(transport),
          gui_(dialog.gui()),
          files_(*dialog.services().files),
          memory_(*dialog.services().memory) {}

    void Run();

private:
    // Opens the file and leaves it empty, asking before emptying a file
    // that holds data. False, with the status line set, when the save
    // must stop; the file is then closed.
    bool OpenEmptyFile();
    // Reads the drive into the buffer and writes it to the file; the status
    // line tells how it went.
    void ReadAndWrite(const DeviceRecord& selected);
    // Ends the run: the buttons enabled, the file closed.
    void Finish();
    std::string PathText(const char* format) const { return FormatText(format, dialog_.firmwarePath.c_str()); }

    UpgradeDialog& dialog_;
    ScsiTransport& transport_;
    GuiContract& gui_;
    FileService& files_;
    BufferAllocator& memory_;
    FileHandle file_ = nullptr;
};

void SaveRun::Run() {
    gui_.SetItemText(kStatusLine, "Save Firmware...");

    const DeviceRecord* selected = TakeSelectedDevice(dialog_, gui_);
    if (selected == nullptr) return;

    SetFileButtons(gui_, false);

    file_ = files_.OpenForWriteNoTruncate(dialog_.firmwarePath);
    if (file_ == nullptr) {
        gui_.SetItemText(kStatusLine, PathText("Cant open the file %s"));
        SetFileButtons(gui_, true);
        return;
    }
    if (!OpenEmptyFile()) return;

    dialog_.imageBuffer = memory_.Allocate(selected->imageSize);
    if (dialog_.imageBuffer == nullptr) {
        gui_.SetItemText(kStatusLine, "Memory (Write) Initialization Failed!!");
        return Finish();
    }
    std::memset(dialog_.imageBuffer, 0, selected->imageSize);

    ReadAndWrite(*selected);

    // A request the transport gave up on may still be completed into the
    // buffer: it is then kept, not freed, until the program ends.
    if (!transport_.requestAbandoned()) memory_.Release(dialog_.imageBuffer);
    dialog_.imageBuffer = nullptr;
    Finish();
}

bool SaveRun::OpenEmptyFile() {
    std::uint64_t length = 0;
    if (!files_.GetLength(file_, length)) {
        gui_.SetItemText(kStatusLine, PathText("Cant write the file %s"));
        Finish();
        return false;
    }
    if (length == 0) return true;

    // The box has no owner and the platform's default caption.
    const int answer = gui_.MessageBox(PathText("File %s Exist, Overwrite ?"), nullptr, kMbYesNo);
    if (answer != kAnswerYes) {
        // Only a Yes empties the file; anything else leaves it as it was.
        gui_.SetItemText(kStatusLine, PathText("File %s Exist, User cancel ..."));
        Finish();
        return false;
    }
    if (!files_.SetLength(file_, 0)) {
        gui_.SetItemText(kStatusLine, PathText("Cant write the file %s"));
        Finish();
        return false;
    }
    return true;
}

void SaveRun::ReadAndWrite(const DeviceRecord& selected) {
    if (!transport_.Open(selected)) {
        // The file stays as it is now: created or emptied.
        gui_.SetItemText(kStatusLine, OpenDeviceFailedText(selected));
        return;
    }
    if (ReadOutFirmware(dialog_, transport_) == 1) {
        // On a read failure nothing is written and the loop's text stays.
        if (files_.Write(file_, dialog_.imageBuffer, transport_.current.imageSize))
            gui_.SetItemText(kStatusLine, "Upgrade Firmware Successful!!");
        else
            gui_.SetItemText(kStatusLine, PathText("Cant write the file %s"));
    }
    transport_.Close();
}

void SaveRun::Finish() {
    SetFileButtons(gui_, true);
    files_.Close(file_);
    file_ = nullptr;
}

}  // namespace

void RunBrowse(UpgradeDialog& dialog) {
    CommandGuard guard(dialog);
    if (!guard.acquired()) return;

    GuiContract& gui = dialog.gui();
    OpenFileRequest request;
    request.defaultExtension = "bin";
    request.initialFileName = "*.bin";
    request.flags = kOfnHideReadOnly;
    request.filter = "Firmware File (bin)";

    // The current directory starts the dialog only when it fits in the room
    // given, terminator included.
    char directory[kCurrentDirectoryRoom] = {};
    const std::uint32_t length = dialog.services().system->GetCurrentDirectory(kCurrentDirectoryRoom, directory);
    if (length > 0 && length < kCurrentDirectoryRoom) {
        request.hasInitialDirectory = true;
        request.initialDirectory.assign(directory, length);
    }

    OpenFileResult chosen;
    if (!gui.RunOpenFileDialog(request, chosen)) return;
    if (!EqualsIgnoringAsciiCase(chosen.extension, "bin")) return;

    dialog.firmwarePath = chosen.fullPath;
    gui.SetItemText(kPathField, dialog.firmwarePath);
    gui.EnableItem(kUpgradeButton, true);
    gui.SetItemText(kStatusLine, "Select Firmware or Click Upgrade to Upgrade...");
}

void RunSave(UpgradeDialog& dialog, ScsiTransport& transport) {
    CommandGuard guard(dialog);
    if (!guard.acquired()) return;
    SaveRun(dialog, transport).Run();
}
