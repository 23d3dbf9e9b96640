// What ktxflash says of a command that failed: the sense data read in both
// formats, and the outcome in words.

#include "device/command_report_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CommandReport Failed(std::uint8_t status, std::initializer_list<std::uint8_t> sense) {
    CommandReport report;
    report.cdb[0] = 0xFD;
    report.cdbLength = 1;
    const std::vector<std::uint8_t> bytes(sense);
    report.Answer(status, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return report;
}

std::string Outcome(const CommandReport& report) {
    MessageText text;
    AppendCommandOutcome(report, text);
    return text.c_str();
}

CommandReport Carried(CommandCarrier carrier, std::uint8_t request, std::uint16_t host, std::uint16_t driver) {
    CommandReport report;
    report.carrier = carrier;
    report.requestStatus = request;
    report.hostStatus = host;
    report.driverStatus = driver;
    return report;
}

CommandReport Refused(CommandCarrier carrier, std::uint32_t error) {
    CommandReport report;
    report.carrier = carrier;
    report.systemError = error;
    return report;
}

TEST(SenseText, OutcomesInWords) {
    CommandReport good;
    good.good = true;
    CommandReport unanswered;
    // A CHECK CONDITION over SG_IO comes with DRIVER_SENSE: nothing to add.
    CommandReport sgCheck = Failed(0x02, {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00});
    sgCheck.carrier = CommandCarrier::SgIo;
    sgCheck.driverStatus = 0x08;
    // ASPI's SS_ERR with HASTAT_OK: the drive's status tells it.
    CommandReport aspiCheck = Failed(0x02, {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x00});
    aspiCheck.carrier = CommandCarrier::Aspi;
    aspiCheck.requestStatus = 0x04;
    const struct {
        CommandReport report;
        const char* text;
    } cases[] = {
        {good, "good"},
        {unanswered, "no SCSI status (the request did not complete)"},
        {Failed(0x02, {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x5 ILLEGAL REQUEST, ASC/ASCQ 0x24/0x00 (invalid field in CDB)"},
        // Descriptor format; a pair the table lacks has no meaning shown.
        {Failed(0x02, {0x72, 0x02, 0x3A, 0x01}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x2 NOT READY, ASC/ASCQ 0x3A/0x01 (medium not present - tray "
         "closed)"},
        {Failed(0x02, {0xF0, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x99, 0x01}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x6 UNIT ATTENTION, ASC/ASCQ 0x99/0x01"},
        {Failed(0x02, {0x70, 0, 0x05}), "SCSI status 0x02 CHECK CONDITION, no sense data"},
        {sgCheck, "SCSI status 0x02 CHECK CONDITION, sense key 0x5 ILLEGAL REQUEST, ASC/ASCQ 0x24/0x00 (invalid field "
                  "in CDB)"},
        {aspiCheck, "SCSI status 0x02 CHECK CONDITION, sense key 0x2 NOT READY, ASC/ASCQ 0x3A/0x00 (medium not "
                    "present)"},
        // Each transport's own codes, in its own words.
        {Carried(CommandCarrier::SgIo, 0, 0x07, 0x00),
         "no SCSI status (the request did not complete); host status 0x07 DID_ERROR (the host adapter's driver failed "
         "the command (behind USB, often a lost connection)), driver status 0x00 DRIVER_OK (no error)"},
        {Carried(CommandCarrier::SgIo, 0, 0x01, 0x00),
         "no SCSI status (the request did not complete); host status 0x01 DID_NO_CONNECT (the drive could not be "
         "reached: unplugged, powered off or its connection lost), driver status 0x00 DRIVER_OK (no error)"},
        {Carried(CommandCarrier::SgIo, 0, 0x03, 0x06),
         "no SCSI status (the request did not complete); host status 0x03 DID_TIME_OUT (the command timed out), "
         "driver status 0x06 DRIVER_TIMEOUT (the driver timed the command out)"},
        {Carried(CommandCarrier::SgIo, 0, 0x0E, 0x24),  // suggestion bits above the status
         "no SCSI status (the request did not complete); host status 0x0E DID_TRANSPORT_DISRUPTED (the connection to "
         "the drive was disrupted), driver status 0x24 DRIVER_ERROR (an error of the driver)"},
        {Carried(CommandCarrier::SgIo, 0, 0x3F, 0x00),
         "no SCSI status (the request did not complete); host status 0x3F, driver status 0x00 DRIVER_OK (no error)"},
        {Carried(CommandCarrier::Aspi, 0x04, 0x11, 0),
         "no SCSI status (the request did not complete); ASPI status 0x04 SS_ERR (completed with an error), host "
         "adapter status 0x11 HASTAT_SEL_TO (selection timeout: no drive answered at that address)"},
        {Carried(CommandCarrier::Aspi, 0x82, 0x00, 0),
         "no SCSI status (the request did not complete); ASPI status 0x82 SS_NO_DEVICE (no device installed at that "
         "address), host adapter status 0x00 HASTAT_OK (no error of the host adapter)"},
        // The pass-through has only its SCSI status and the system's code.
        {Carried(CommandCarrier::PassThrough, 0, 0, 0), "no SCSI status (the request did not complete)"},
        {Refused(CommandCarrier::PassThrough, 1167),
         "no SCSI status (the request did not complete); the system refused it: error 1167 ERROR_DEVICE_NOT_CONNECTED "
         "(the device is not connected)"},
        {Refused(CommandCarrier::PassThrough, 9999),
         "no SCSI status (the request did not complete); the system refused it: error 9999"},
        {Refused(CommandCarrier::SgIo, 1),
         "no SCSI status (the request did not complete); the system refused it: errno 1 EPERM (operation not "
         "permitted)"},
        {Refused(CommandCarrier::SgIo, 22),
         "no SCSI status (the request did not complete); the system refused it: errno 22 EINVAL (refused before it "
         "reached the drive: a transfer longer than the device takes, or a request it cannot carry)"},
        {Refused(CommandCarrier::SgIo, 19),
         "no SCSI status (the request did not complete); the system refused it: errno 19 ENODEV (no such device: it "
         "went away)"},
    };
    for (const auto& c : cases) EXPECT_EQ(Outcome(c.report), c.text);
}

TEST(SenseText, CommandBytesWithDirectionAndLength) {
    CommandReport report;
    const std::uint8_t cdb[] = {0x3C, 0x01, 0x00, 0x40};
    for (std::uint8_t i = 0; i < 4; ++i) report.cdb[i] = cdb[i];
    report.cdbLength = 4;
    report.length = 16384;
    MessageText text;
    AppendCommandBytes(report, text);
    EXPECT_STREQ(text.c_str(), "3C 01 00 40 (in, 16384 bytes)");
    report.length = 0;
    text.Assign("");
    AppendCommandBytes(report, text);
    EXPECT_STREQ(text.c_str(), "3C 01 00 40 (no data)");
}

}  // namespace
