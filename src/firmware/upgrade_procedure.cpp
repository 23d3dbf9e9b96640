#include "firmware/upgrade_procedure.h"

#include <cstring>

#include "firmware/firmware_package.h"
#include "platform/ascii_case.h"

MessageText OpenDeviceFailedText(const DeviceRecord& record) {
    // The record's texts always carry their NUL within the array, so %s
    // stops inside it; the fields' fixed size bounds the text anyway.
    MessageText text;
    text.Format("Open Device (%u %u)%.*s%.*s Failed!!", static_cast<unsigned>(record.hostAdapter),
                static_cast<unsigned>(record.targetId), static_cast<int>(sizeof record.vendorId), record.vendorId,
                static_cast<int>(sizeof record.productId), record.productId);
    return text;
}

void ReportStatus(const FirmwareContext& context, const char* text) {
    const CommandReport& last = context.transport.lastCommand();
    if (last.refused()) context.port.SystemProblem(last.refusal);
    context.port.ShowStatus(text);
}

const char* UpgradeCheckName(UpgradeCheck check) {
    // In the order of UpgradeCheck.
    static const char* const kNames[] = {"dvd-rom-only", "image-size", "revision", "image-sum"};
    return kNames[static_cast<int>(check)];
}

std::optional<UpgradeExit> CheckPackage(const FirmwareContext& context) {
    // A template's "image" is zeros whose sum matches the sum field the
    // marker text reads as: refused before anything reaches the drive.
    const FirmwarePackage* package = context.package;
    if (package != nullptr && !package->isUncombined()) return std::nullopt;
    ReportStatus(context, kNeedCombineText);
    return UpgradeExit::Uncombined;
}

std::optional<UpgradeExit> UpgradeSession::CheckDrive(const DeviceRecord& drive) {
    if (const std::optional<UpgradeExit> refused = CheckPackage(context_)) return refused;
    const FirmwarePackage& package = *context_.package;
    OperationsReport& report = context_.port;
    ScsiTransport& transport = context_.transport;
    PhaseScope checks(report, Phase::Checks);

    if (!transport.Open(drive)) {
        // Nothing was opened.
        ReportStatus(context_, OpenDeviceFailedText(drive).c_str());
        return UpgradeExit::OpenFailed;
    }
    deviceOpen_ = true;

    if (!transport.ModeSense())
        return FailCheck(UpgradeExit::TypeUnknown, UpgradeCheck::DvdRomOnly, "Can't recognize the drive type!!");
    if (transport.dvdRomOnly == 0)
        return FailCheck(UpgradeExit::NotDvdRomOnly, UpgradeCheck::DvdRomOnly, "This F/W is only for DVD-ROM!");
    report.CheckEnded(UpgradeCheck::DvdRomOnly, true, nullptr);

    const std::uint32_t imageSize = transport.current.imageSize;
    if (imageSize != kImageSize) {  // the status stays as it is
        report.CheckEnded(UpgradeCheck::ImageSize, false, "the drive does not take an image of 131,072 bytes");
        return Exit(UpgradeExit::WrongImageSize, nullptr);
    }
    report.CheckEnded(UpgradeCheck::ImageSize, true, nullptr);

    if (!image_.Allocate(imageSize)) return Exit(UpgradeExit::NoImageMemory, kWriteMemoryFailedText);
    if (!readBuffer_.Allocate(imageSize)) return Exit(UpgradeExit::NoReadMemory, "Memory (Read) Initialization Failed!!");

    std::memcpy(image_.get(), package.image(), imageSize);

    const RevisionText driveRevision = MakeRevisionText(transport.current.productRevision);
    if (!RevisionMatches(driveRevision, package.revisionTag(), context_.versionCheckMask))
        return FailCheck(UpgradeExit::RevisionMismatch, UpgradeCheck::Revision, "F/W Version Not Match");
    report.CheckEnded(UpgradeCheck::Revision, true, nullptr);

    // The sum of the working copy, the one that is sent, not of the package.
    const std::uint16_t computedSum = byteSum16(image_.get(), imageSize);
    const std::uint16_t expectedSum = package.expectedSum();
    if (computedSum != expectedSum) {
        MessageText text;
        text.Format("Check sum not match!! (%04X / %04X)", static_cast<unsigned>(computedSum),
                    static_cast<unsigned>(expectedSum));
        return FailCheck(UpgradeExit::SumMismatch, UpgradeCheck::ImageSum, text.c_str());
    }
    report.CheckEnded(UpgradeCheck::ImageSum, true, nullptr);
    checks.Succeeded();
    return std::nullopt;
}

std::optional<UpgradeExit> UpgradeSession::Confirm(const char* warning) {
    if (warning == nullptr || warning[0] == '\0') return Exit(UpgradeExit::NoWarningText, "Load String Error!!");
    // Only an explicit Yes goes on: a question that could not be put to
    // the user is no consent. A face offers No as the default.
    OperationsQuestions& questions = context_.port;
    Answer answer = questions.Ask(Question::UpgradeWarning, warning, Answer::No);
    if (answer == Answer::Yes)
        answer = questions.Ask(Question::FlashingStart, "Flashing Start!\nPLEASE DON'T TURN OFF THE POWER!",
                               Answer::No);
    else
        return Exit(answer == Answer::No ? UpgradeExit::FirstNo : UpgradeExit::NotAsked, "User cancel!!");
    if (answer != Answer::Yes)
        return Exit(answer == Answer::No ? UpgradeExit::SecondNo : UpgradeExit::NotAsked, "User cancel!!");
    return std::nullopt;
}

UpgradeExit UpgradeSession::Download(FirmwareState& state, DownloadEnd& end) {
    end = RunBlockDownload(context_, state, image_.get());
    End();
    if (!end.succeeded) return UpgradeExit::DownloadFailed;  // the download's error text stays
    ReportStatus(context_, kUpgradeSuccessfulText);
    return UpgradeExit::Upgraded;
}

void UpgradeSession::End() {
    ScsiTransport& transport = context_.transport;
    if (deviceOpen_) {
        transport.Close();
        deviceOpen_ = false;
    }
    if (transport.lastCommand().abandoned) {
        // Kept, not freed: the abandoned request may still write into them.
        image_.Abandon();
        readBuffer_.Abandon();
    }
    image_.Release();
    readBuffer_.Release();
}

bool RevisionMatches(const RevisionText& drive, const RevisionText& tag, std::uint8_t mask) {
    // Bit 0 selects the last character, bit 3 the first; checked in bit order.
    for (int bit = 0; bit < 4; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        const int index = 3 - bit;
        if (AsciiUpper(drive[index]) != AsciiUpper(tag[index])) return false;
    }
    return true;
}
