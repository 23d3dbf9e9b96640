// The SG_IO request of every command of the command set, compared byte for
// byte with a header built independently through the system's <scsi/sg.h>,
// and the rule that decides whether a command succeeded.

#include "device/sg_io_transport.h"

#include <gtest/gtest.h>
#include <scsi/sg.h>

#include <cstring>
#include <vector>

namespace {

using commands::Command;

struct Expected {
    const char* name;
    Command command;
    std::vector<unsigned char> cdb;
    int direction;
    unsigned transferLength;
    unsigned timeoutMs;
};

std::vector<Expected> CommandTable() {
    return {
        {"INQUIRY", commands::Inquiry(commands::Backend::PassThrough), {0x12, 0x00, 0x00, 0x00, 0xC0, 0x00},
         SG_DXFER_FROM_DEV, 512, 256000},
        {"TEST UNIT READY", commands::TestUnitReady(), std::vector<unsigned char>(12, 0x00), SG_DXFER_NONE, 0,
         256000},
        {"MODE SENSE", commands::ModeSense(commands::Backend::PassThrough),
         {0x5A, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00}, SG_DXFER_FROM_DEV, 100, 256000},
        {"READ BUFFER mode 2", commands::ReadBufferMode2(0x00, 0x0000, 0x0200),
         {0x3C, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00}, SG_DXFER_FROM_DEV, 0x200, 256000},
        {"READ BUFFER mode 1", commands::ReadBufferMode1(0x01, 0x4000, 0x4000),
         {0x3C, 0x01, 0x01, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x01}, SG_DXFER_FROM_DEV, 0x4000, 256000},
        {"WRITE BUFFER mode 7", commands::WriteBufferMode7(0x02, 0x8000, 0x4000),
         {0x3B, 0x07, 0x02, 0x00, 0x80, 0x00, 0x00, 0x40, 0x00, 0x00}, SG_DXFER_TO_DEV, 0x4000, 256000},
        {"WRITE BUFFER mode 4", commands::WriteBufferMode4(),
         {0x3B, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, SG_DXFER_NONE, 0, 256000},
        {"vendor download", commands::VendorDownload(1, 0x7E45, 16384, 0x0E89),
         {0xFD, 0x07, 0x51, 0x4F, 0x52, 0x41, 0x7E, 0x45, 0x0E, 0x89, 0x01, 0x08}, SG_DXFER_TO_DEV, 16384,
         25000000},
    };
}

TEST(SgIoRequest, EveryCommandFillsTheHeaderAsTheSystemHeaderDescribesIt) {
    static unsigned char data[0x4000];
    unsigned char sense[sgio::kSenseLength];
    for (const Expected& e : CommandTable()) {
        SCOPED_TRACE(e.name);
        sgio::SgIoHeader ours;
        std::memset(&ours, 0xA5, sizeof ours);  // every field must be written afresh
        sgio::FillRequest(e.command, data, sense, ours);

        sg_io_hdr_t expected;
        std::memset(&expected, 0, sizeof expected);
        expected.interface_id = 'S';
        expected.dxfer_direction = e.direction;
        expected.cmd_len = static_cast<unsigned char>(e.cdb.size());
        expected.mx_sb_len = 24;
        expected.dxfer_len = e.transferLength;
        expected.dxferp = e.transferLength == 0 ? nullptr : data;
        expected.cmdp = const_cast<unsigned char*>(e.command.cdb.data());
        expected.sbp = sense;
        expected.timeout = e.timeoutMs;
        ASSERT_EQ(sizeof ours, sizeof expected);
        EXPECT_EQ(0, std::memcmp(&ours, &expected, sizeof ours));

        // The CDB the header points at: the command's bytes, the rest zero.
        EXPECT_EQ(std::vector<unsigned char>(ours.cmdp, ours.cmdp + ours.cmd_len), e.cdb);
        for (std::size_t i = ours.cmd_len; i < e.command.cdb.size(); ++i) EXPECT_EQ(ours.cmdp[i], 0) << i;
    }
}

TEST(SgIoRequest, SucceedsOnlyWhenTheIoctlAndAllThreeStatusesAreGood) {
    struct Case {
        int ioctlResult;
        unsigned char status;
        unsigned short host;
        unsigned short driver;
        bool succeeded;
    };
    const Case cases[] = {
        {0, 0x00, 0x00, 0x00, true},
        {-1, 0x00, 0x00, 0x00, false},  // the system did not carry it
        {0, 0x02, 0x00, 0x08, false},   // check condition with sense
        {0, 0x02, 0x00, 0x00, false},   // check condition alone
        {0, 0x08, 0x00, 0x00, false},   // busy
        {0, 0x00, 0x01, 0x00, false},   // DID_NO_CONNECT
        {0, 0x00, 0x03, 0x00, false},   // DID_TIME_OUT
        {0, 0x00, 0x00, 0x06, false},   // DRIVER_TIMEOUT
        {0, 0x00, 0x00, 0x08, false},   // driver sense without a status
    };
    for (const Case& c : cases) {
        sgio::SgIoHeader request{};
        request.status = c.status;
        request.host_status = c.host;
        request.driver_status = c.driver;
        EXPECT_EQ(sgio::RequestSucceeded(c.ioctlResult, request), c.succeeded)
            << "ioctl " << c.ioctlResult << " status " << int(c.status) << " host " << c.host << " driver "
            << c.driver;
    }
}

}  // namespace
