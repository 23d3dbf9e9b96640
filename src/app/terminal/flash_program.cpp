#include "app/terminal/flash_program.h"

#include <array>
#include <cstring>

#include "app/terminal/firmware_file_writer.h"
#include "device/command_report_text.h"
#include "firmware/firmware_readout.h"
#include "firmware/upgrade_procedure.h"
#include "ktx_release_version.h"
#include "platform/display_text.h"

namespace terminal {

void FlashRun::Error(const char* subject, const char* text) {
    MessageText message("ktxflash: ");
    if (subject != nullptr && subject[0] != '\0') {
        // A device or file, as typed; a drive letter's own colon serves
        // as the separator ("E: ...", not "E:: ...").
        AppendDisplayPath(message, subject);
        message.Append(subject[std::strlen(subject) - 1] == ':' ? " " : ": ");
    }
    message.Append(text);
    if (line_.json) json_.Error(subject, text);
    std::fputs(message.c_str(), services_.err);
    std::fputc('\n', services_.err);
    std::fflush(services_.err);
}

FirmwareContext FlashRun::Context() {
    return FirmwareContext{face_, services_.system, nullptr, services_.memory, services_.devices.transport(),
                           &package_, package_.versionCheckMask()};
}

void FlashRun::ShowDrive(const DeviceRecord& record, bool probeType) {
    PathText name;
    services_.devices.AppendName(record, name);
    MessageText text(name.c_str());
    text.Append("  ");
    AppendDisplayText(text, record.vendorId);
    text.Append("  ");
    AppendDisplayText(text, record.productId);
    text.Append("  ");
    AppendDisplayText(text, record.productRevision, std::strlen(record.productRevision));
    int dvdRomOnly = -1;
    if (probeType) {
        ScsiTransport& transport = services_.devices.transport();
        if (transport.Open(record) && transport.ModeSense()) {
            dvdRomOnly = transport.dvdRomOnly != 0 ? 1 : 0;
            text.Append(dvdRomOnly != 0 ? "  DVD-ROM only" : "  not DVD-ROM only");
        } else {
            text.Append("  drive type unknown");
        }
        transport.Close();
    }
    face_.PrintLine(text.c_str());
    if (line_.json) json_.Drive(name.c_str(), record, dvdRomOnly);
}

void FlashRun::ShowPackage() {
    if (line_.json) json_.Package(package_);
    if (package_.isUncombined()) return;
    const std::array<char, 5> tag = package_.revisionTag();
    MessageText text("Package: revision tag \"");
    AppendDisplayText(text, tag.data(), std::strlen(tag.data()));
    text.AppendFormat("\", mask 0x%02X, image sum %04X", static_cast<unsigned>(package_.versionCheckMask()),
                      static_cast<unsigned>(package_.expectedSum()));
    face_.PrintLine(text.c_str());
}

void FlashRun::ExplainLastCommand() {
    const CommandReport& report = services_.devices.transport().lastCommand();
    if (report.good || report.cdbLength == 0) return;
    MessageText text("  the last command: ");
    AppendCommandBytes(report, text);
    face_.PrintLine(text.c_str());
    text.Assign("  its outcome: ");
    AppendCommandOutcome(report, text);
    face_.PrintLine(text.c_str());
}

FlashEnd FlashRun::List() {
    DeviceList list;
    MessageText why;
    services_.devices.ListAll(list, why);
    if (list.Count() == 0) {
        face_.PrintLine(kNoDeviceText);
        if (why.empty()) why.Assign("no CD/DVD drive answered");
        Error(nullptr, why.c_str());
        return FlashEnd::Refused;
    }
    for (int i = 0; i < list.Count(); ++i) ShowDrive(*list.RecordAt(i), true);
    return FlashEnd::Done;
}

FlashEnd FlashRun::Info() {
    if (line_.json) json_.Package(package_);
    if (package_.isUncombined()) {
        face_.PrintLine("ktxflash: uncombined template (no firmware; combine it with ktxcombine)");
        return FlashEnd::Done;
    }
    PackageDescription text(line_.imageFile != nullptr ? "ktxflash: package made of the image file\n"
                                                       : "ktxflash: combined package\n");
    DescribeCombinedPackage(package_, text);
    std::fputs(text.c_str(), textOut_);
    // What to hold against the check the image's maker published.
    const ImageFingerprints fingerprints = FingerprintImage(package_.image(), kImageSize);
    char sha256[kSha256TextSize];
    FormatSha256(fingerprints.sha256, sha256);
    MessageText lines;
    lines.Format("  image SHA-256:       %s\n  image byte sum:      %04X\n", sha256,
                 static_cast<unsigned>(fingerprints.byteSum));
    std::fputs(lines.c_str(), textOut_);
    std::fflush(textOut_);
    return FlashEnd::Done;
}

const DeviceRecord* FlashRun::FindDrive(FirmwareState& state) {
    MessageText why;
    if (!services_.devices.Find(line_.device, state.devices, why)) {
        Error(line_.device, why.c_str());
        return nullptr;
    }
    ShowDrive(*state.devices.RecordAt(0), false);
    return state.devices.RecordAt(0);
}

bool FlashRun::TransfersFit(const DeviceRecord& drive) {
    MessageText why;
    if (services_.devices.TakesWholeBlocks(drive, why)) return true;
    Error(nullptr, why.c_str());
    return false;
}

bool FlashRun::ReadFirmware(OwnedBuffer& image) {
    ScsiTransport& transport = services_.devices.transport();
    if (!image.Allocate(transport.current.imageSize)) {
        face_.ShowStatus(kWriteMemoryFailedText);
        return false;
    }
    FirmwareState scratch;
    const bool read = ReadOutFirmware(Context(), scratch, image.get()) == ReadOutExit::Read;
    // A request the transport gave up on may still be completed into the
    // buffer: it is then kept, not freed, until the program ends.
    const bool abandoned = transport.lastCommand().abandoned;
    if (abandoned) image.Abandon();
    return read && !abandoned;
}

bool FlashRun::OpenAndReadFirmware(const DeviceRecord& drive, OwnedBuffer& image) {
    ScsiTransport& transport = services_.devices.transport();
    transport.ForgetLastCommand();
    bool read = false;
    if (!transport.Open(drive)) {
        ReportStatus(Context(), OpenDeviceFailedText(drive).c_str());
    } else {
        read = ReadFirmware(image);
        transport.Close();
    }
    if (!read) ExplainLastCommand();
    return read;
}

FlashEnd FlashRun::Save() {
    // Never over an existing file without --force: looked at before the
    // drive is touched, and again when the file is put in place.
    PathText name(line_.saveFile);
    if (name.truncated()) {
        Error(line_.saveFile, FileWriteOutcomeText(FileWriteOutcome::NameTooLong));
        return FlashEnd::Refused;
    }
    if (!line_.force && FileIsThere(line_.saveFile)) {
        Error(line_.saveFile, "the file exists; add --force to replace it");
        return FlashEnd::Refused;
    }
    FirmwareState state;
    const DeviceRecord* drive = FindDrive(state);
    if (drive == nullptr || !TransfersFit(*drive)) return FlashEnd::Refused;
    OwnedBuffer image(services_.memory);
    if (!OpenAndReadFirmware(*drive, image)) return FlashEnd::Refused;
    const FileWriteOutcome written = WriteFirmwareFile(line_.saveFile, image.get(), kImageSize, line_.force);
    if (written != FileWriteOutcome::Written) {
        Error(line_.saveFile, written == FileWriteOutcome::Exists ? "the file exists; add --force to replace it"
                                                                  : FileWriteOutcomeText(written));
        return FlashEnd::Refused;
    }
    // Said only now that the file is in place.
    MessageText saved("Saved the drive's firmware to ");
    AppendDisplayPath(saved, line_.saveFile);
    saved.Append(".");
    face_.PrintLine(saved.c_str());
    return FlashEnd::Saved;
}

FlashEnd FlashRun::Verify() {
    if (package_.isUncombined()) {
        face_.PrintLine(kNeedCombineText);
        return FlashEnd::Refused;
    }
    FirmwareState state;
    const DeviceRecord* drive = FindDrive(state);
    if (drive == nullptr) return FlashEnd::Refused;
    ShowPackage();
    if (!TransfersFit(*drive)) return FlashEnd::Refused;
    OwnedBuffer image(services_.memory);
    if (!OpenAndReadFirmware(*drive, image)) {
        Error(line_.device, "the drive's firmware could not be read; nothing compared");
        return FlashEnd::Refused;
    }
    const BlockComparison comparison = CompareBlocks(image.get(), package_.image());
    for (std::size_t block = 0; block < package_layout::kBlockCount; ++block) {
        MessageText line;
        line.Format("block %u (0x%05X..0x%05X): %s", static_cast<unsigned>(block + 1),
                    static_cast<unsigned>(block * kBlockSize), static_cast<unsigned>((block + 1) * kBlockSize - 1),
                    comparison.same[block] ? "same" : "different");
        face_.PrintLine(line.c_str());
        if (line_.json) json_.BlockCompared(static_cast<int>(block + 1), comparison.same[block]);
    }
    MessageText summary;
    if (comparison.allSame())
        summary.Format("The drive's firmware equals the image (all %u blocks the same).",
                       static_cast<unsigned>(package_layout::kBlockCount));
    else
        summary.Format("The drive's firmware differs from the image in %d of %u blocks.", comparison.differing,
                       static_cast<unsigned>(package_layout::kBlockCount));
    face_.PrintLine(summary.c_str());
    if (!comparison.allSame()) {
        face_.PrintLine("Before an upgrade this is expected: the drive still runs its old firmware.");
        face_.PrintLine("After an upgrade, restart the PC (or power-cycle the drive) and verify again;");
        face_.PrintLine("if it still differs, the drive does not run the image: upgrade it again.");
    }
    return comparison.allSame() ? FlashEnd::Same : FlashEnd::Different;
}

namespace {

// The actions a run carries out, with the name --json's first object gives them.
struct FlashActionRow {
    FlashAction action;
    const char* name;
    FlashEnd (FlashRun::*run)();
};

constexpr FlashActionRow kFlashActions[] = {
    {FlashAction::List, "list", &FlashRun::List},       {FlashAction::Info, "info", &FlashRun::Info},
    {FlashAction::Save, "save", &FlashRun::Save},       {FlashAction::Verify, "verify", &FlashRun::Verify},
    {FlashAction::Upgrade, "upgrade", &FlashRun::Upgrade},
};

}  // namespace

int RunFlashProgram(const char* programName, int count, const char* const* args, FlashServices& services) {
    const FlashCommandLine line = ParseFlashCommandLine(count, args);
    if (line.problem != UsageProblem::None) {
        MessageText problem;
        AppendUsageProblem(line, problem);
        if (line.json) {
            JsonReport json(services.out);
            json.Error(nullptr, problem.c_str());
        }
        // The Windows programs print through fputs only (fprintf would
        // bring MinGW's own printf, and the imports it needs).
        std::fputs("ktxflash: ", services.err);
        std::fputs(problem.c_str(), services.err);
        std::fputs("\nSee --help for the command line.\n", services.err);
        return kExitUsage;
    }
    if (line.action == FlashAction::Help) {
        std::fputs(services.conventions.usage, services.out);
        std::fputs(kFlashOptionsHelp, services.out);
        return kExitSuccess;
    }
    if (line.action == FlashAction::Version) {
        std::fputs("ktxflash " KTX_RELEASE_VERSION "\n", services.out);
        return kExitSuccess;
    }
    FlashRun run(programName != nullptr && programName[0] != '\0' ? programName : "ktxflash", line, services);
    const FlashActionRow* action = &kFlashActions[sizeof kFlashActions / sizeof kFlashActions[0] - 1];
    for (const FlashActionRow& row : kFlashActions)
        if (row.action == line.action) action = &row;
    run.Start(line.action == FlashAction::Upgrade && line.dryRun ? "dry-run" : action->name);
    if (line.imageFile != nullptr && !run.LoadImage()) return run.Finish(FlashEnd::Refused);
    return run.Finish((run.*action->run)());
}

}  // namespace terminal
