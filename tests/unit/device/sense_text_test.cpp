// What ktxflash says of a command that failed: the sense data read in both
// formats, and the outcome in words.

#include "device/sense_text.h"

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

TEST(SenseText, OutcomesInWords) {
    CommandReport good;
    good.good = true;
    CommandReport unanswered;
    CommandReport refusedBySystem;
    refusedBySystem.systemError = 5;
    CommandReport viaAdapter = Failed(0x08, {});
    viaAdapter.hasAdapterStatus = true;
    viaAdapter.adapterStatus = 0x07;
    viaAdapter.driverStatus = 0x08;
    const struct {
        CommandReport report;
        const char* text;
    } cases[] = {
        {good, "good"},
        {unanswered, "no SCSI status (the request did not complete)"},
        {refusedBySystem, "no SCSI status (the request did not complete); system error code 5"},
        {Failed(0x02, {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0x00}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x5 ILLEGAL REQUEST, ASC/ASCQ 0x24/0x00 (invalid field in CDB)"},
        // Descriptor format; a pair the table lacks has no meaning shown.
        {Failed(0x02, {0x72, 0x02, 0x3A, 0x01}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x2 NOT READY, ASC/ASCQ 0x3A/0x01 (medium not present - tray "
         "closed)"},
        {Failed(0x02, {0xF0, 0, 0x06, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x99, 0x01}),
         "SCSI status 0x02 CHECK CONDITION, sense key 0x6 UNIT ATTENTION, ASC/ASCQ 0x99/0x01"},
        {Failed(0x02, {0x70, 0, 0x05}), "SCSI status 0x02 CHECK CONDITION, no sense data"},
        {viaAdapter, "SCSI status 0x08 BUSY; adapter status 0x07, driver status 0x08"},
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
