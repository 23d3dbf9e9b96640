#include "app/terminal/flash_program.h"

#include <cerrno>
#include <cstring>

#include "app/terminal/flash_command_line.h"
#include "ktx_release_version.h"
#include "firmware/firmware_context.h"
#include "firmware/firmware_file_commands.h"
#include "firmware/package_description.h"
#include "firmware/status_text.h"
#include "firmware/upgrade_procedure.h"
#include "platform/display_text.h"
#include "platform/replacing_file_service.h"

namespace terminal {
namespace {

constexpr char kRestartNote[] =
    "Restart the PC (or power-cycle the drive) before using the drive: it runs the new firmware only after that.";

// True only when `path` names nothing: a file that is there but cannot be
// read counts as there.
bool FileIsMissing(const char* path) {
    errno = 0;
    if (std::FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        return false;
    }
    return errno == ENOENT;
}

class FlashRun {
public:
    FlashRun(const FlashCommandLine& line, FlashServices& services)
        : line_(line),
          services_(services),
          face_(services.out, services.in, services.outIsTerminal,
                TerminalAnswers{line.yes, line.dryRun, !services.inIsTerminal},
                TerminalGuards{services.system, services.interrupts}) {}

    int List();
    int Info();
    int Upgrade();
    int Save();

private:
    // "ktxflash: " then `subject` (escaped; may be null) and `text`, on err.
    void Error(const char* subject, const char* text);
    // Finds the DEVICE into the state; false (with the error printed) when it is not there.
    bool FindDevice(FirmwareState& state);
    // One line for the drive; with `probeType`, its drive type from MODE SENSE.
    void ShowDrive(const DeviceRecord& record, bool probeType);
    // The operations' context: this run's services, the terminal's face and `files`.
    FirmwareContext Context(FileService& files);

    const FlashCommandLine& line_;
    FlashServices& services_;
    TerminalFace face_;
};

void FlashRun::Error(const char* subject, const char* text) {
    MessageText message;
    message.Assign("ktxflash: ");
    if (subject != nullptr) {
        AppendDisplayText(message, subject);
        message.Append(": ");
    }
    message.Append(text);
    std::fputs(message.c_str(), services_.err);
    std::fputc('\n', services_.err);
    std::fflush(services_.err);
}

FirmwareContext FlashRun::Context(FileService& files) {
    return FirmwareContext{face_, services_.system, files, services_.memory, services_.devices.transport(),
                           &services_.package, services_.package.versionCheckMask()};
}

void FlashRun::ShowDrive(const DeviceRecord& record, bool probeType) {
    MessageText text;
    services_.devices.AppendName(record, text);
    text.Append("  ");
    AppendDisplayText(text, record.vendorId);
    text.Append("  ");
    AppendDisplayText(text, record.productId);
    text.Append("  ");
    AppendDisplayText(text, record.productRevision, std::strlen(record.productRevision));
    if (probeType) {
        ScsiTransport& transport = services_.devices.transport();
        if (transport.Open(record) && transport.ModeSense())
            text.Append(transport.dvdRomOnly != 0 ? "  DVD-ROM only" : "  not DVD-ROM only");
        else
            text.Append("  drive type unknown");
        transport.Close();
    }
    face_.PrintLine(text.c_str());
}

int FlashRun::List() {
    DeviceList list;
    MessageText why;
    services_.devices.ListAll(list, why);
    if (list.Count() == 0) {
        face_.PrintLine(kNoDeviceText);
        if (!why.empty()) Error(nullptr, why.c_str());
        return kExitFailed;
    }
    for (int i = 0; i < list.Count(); ++i) ShowDrive(*list.RecordAt(i), true);
    return kExitSuccess;
}

int FlashRun::Info() {
    const FirmwarePackage& package = services_.package;
    if (package.isUncombined()) {
        face_.PrintLine("ktxflash: uncombined template (no firmware; combine it with ktxcombine)");
        return kExitSuccess;
    }
    PackageDescription text;
    text.Assign("ktxflash: combined package\n");
    DescribeCombinedPackage(package, text);
    std::fputs(text.c_str(), services_.out);
    std::fflush(services_.out);
    return kExitSuccess;
}

bool FlashRun::FindDevice(FirmwareState& state) {
    MessageText why;
    if (services_.devices.Find(line_.device, state.devices, why)) return true;
    Error(line_.device, why.c_str());
    return false;
}

int FlashRun::Upgrade() {
    FirmwareState state;
    if (!FindDevice(state)) return kExitFailed;
    ShowDrive(*state.devices.RecordAt(0), false);

    ReplacingFileService files;  // the upgrade writes no file
    const FirmwareContext context = Context(files);
    RunUpgrade(context, state);

    if (face_.problemShown()) return kExitFailed;
    if (line_.dryRun && face_.dryRunStopped()) {
        face_.PrintLine(kDryRunStoppedText);
        return kExitSuccess;
    }
    if (state.restartNeeded == 0) return kExitFailed;
    face_.PrintLine(kRestartNote);
    return kExitSuccess;
}

int FlashRun::Save() {
    // Never over an existing file without --force: looked at before the
    // drive is touched.
    if (!line_.force && !FileIsMissing(line_.saveFile)) {
        Error(line_.saveFile, "the file exists; add --force to replace it");
        return kExitFailed;
    }
    FirmwareState state;
    state.firmwarePath.Assign(line_.saveFile);
    if (state.firmwarePath.truncated()) {
        Error(line_.saveFile, "the file name is too long");
        return kExitFailed;
    }
    if (!FindDevice(state)) return kExitFailed;
    ShowDrive(*state.devices.RecordAt(0), false);

    ReplacingFileService files;
    const FirmwareContext context = Context(files);
    RunSave(context, state);
    if (face_.problemShown() || !files.committed()) return kExitFailed;
    MessageText saved;
    saved.Assign("Saved the drive's firmware to ");
    AppendDisplayText(saved, line_.saveFile);
    saved.Append(".");
    face_.PrintLine(saved.c_str());
    return kExitSuccess;
}

}  // namespace

int RunFlashProgram(int count, const char* const* args, FlashServices& services) {
    const FlashCommandLine line = ParseFlashCommandLine(count, args);
    if (line.problem != UsageProblem::None) {
        MessageText message;
        message.Assign("ktxflash: ");
        message.Append(UsageProblemText(line.problem));
        if (line.offending != nullptr) {
            message.Append(" \"");
            AppendDisplayText(message, line.offending);
            message.Append("\"");
        }
        message.Append(" (see --help)\n");
        std::fputs(message.c_str(), services.err);
        return kExitUsage;
    }
    FlashRun run(line, services);
    switch (line.action) {
    case FlashAction::Help:
        std::fputs(kFlashUsage, services.out);
        return kExitSuccess;
    case FlashAction::Version:
        std::fputs("ktxflash " KTX_RELEASE_VERSION "\n", services.out);
        return kExitSuccess;
    case FlashAction::List:
        return run.List();
    case FlashAction::Info:
        return run.Info();
    case FlashAction::Save:
        return run.Save();
    case FlashAction::Upgrade:
        break;
    }
    return run.Upgrade();
}

}  // namespace terminal
